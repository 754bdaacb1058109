#pragma once

#include <cstdint>
#include <string>

#include "model/ConfigModel.h"

namespace varnel {

// The printer's tables are addressed by one byte; anything above does not fit the command.
inline constexpr int kMaxTableOffset = 255;
inline constexpr int kMaxConfigTable = 15;
inline constexpr int kByteFieldWidth = 8;
inline constexpr int kWordFieldWidth = 16;

// Where a numeric setting lives, decoded from its map row: location 12.3 is offset 12, bit 3.
struct FieldLocation {
    uint8_t table = 0;   // the row's table, as the one byte the commands carry
    int offset = 0;      // integer part of the location; checked against kMaxTableOffset by callers
    uint8_t bit = 0;     // first decimal digit of the location
    uint8_t width = 0;   // bits
    uint8_t mask = 0;    // ((2^width) - 1) << bit, low 8 bits

    bool OffsetFits() const { return offset >= 0 && offset <= kMaxTableOffset; }
    bool SpansTwoBytes() const { return width > kByteFieldWidth; }
};

FieldLocation DecodeField(const MapEntry& entry);

// Value of a field of up to 8 bits from its data byte.
int32_t DecodeByteField(const FieldLocation& field, uint8_t data);
// Value of a wider field: the byte at the offset is the high byte; the bit number is not applied.
int32_t DecodeWordField(const FieldLocation& field, uint8_t high, uint8_t low);

// The masked byte write(s) that set the field to `value`: one 7-byte command for widths up to 8,
// two (offset, then offset + 1, big-endian) for width 16. Callers refuse other widths and
// offsets that do not fit.
std::string EncodeFieldWrite(const FieldLocation& field, int32_t value);

}  // namespace varnel
