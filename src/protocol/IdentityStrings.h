#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/ConfigModel.h"

namespace varnel {

struct ProtocolContext;

// What a text must satisfy before it is programmed.
enum class LengthRule { None, Exactly, AtMost };

// One of the printer's identity strings: where it lives in the model and in the printer, its
// length rule and the texts and event codes of its reports.
struct IdentityRow {
    std::string ConfigModel::*field;
    uint8_t table;
    LengthRule rule;
    size_t length;
    std::string_view refusalText;
    int refusalEventCode;  // also of the missing-port report
    std::string_view missingPortText;
    int resultEventCode;
    std::string_view successText;
    std::string_view failureText;
};

// "ser:": the serial number, exactly 11 characters, in table 4.
extern const IdentityRow kSerialNumberRow;
// "gtser:": the serial number of any length, in table 13.
extern const IdentityRow kSerialNumber2Row;
// "manu:": the manufacture id, at most 12 characters, in table 2.
extern const IdentityRow kManufactureIdRow;
// "desc:": the description, at most 48 characters, in table 3.
extern const IdentityRow kDescriptionRow;

// Stores `text` in the row's model field, writes it into the printer's table and reads it back.
// 1 when the printer holds the text afterwards, 0 otherwise; every outcome is reported.
int ProgramIdentityString(ProtocolContext& context, const IdentityRow& row, const std::string& text);

}  // namespace varnel
