#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnel {

struct ProtocolContext;

// Firmware identifier taken from a firmware query reply (the bytes before its first zero):
// the text after the first ":", or from the fourth byte on when there is no ":". Nothing when
// the reply does not begin with "~r" or the identifier is empty.
std::optional<std::string> FirmwareIdentifierFromReply(std::string_view reply);

// Asks the printer for its firmware, checks that the loaded map was made for that firmware and
// the configuration's model, and otherwise loads the first "*.map" file of the model search path
// (the working folder first) whose "Firmware" entry matches. Fills preInitSequence from "Pre_Init_Command" first. On
// success mapFilePath, firmwareRevision and model agree; every failure is reported and leaves
// the port closed.
int IdentifyPrinter(ProtocolContext& context);

// The same map check and search keyed on the model alone, without printer traffic.
int MatchMapToModel(ProtocolContext& context);

// 1 when the first 6 characters of the printer's firmware identifier equal those of `expected`
// (a shorter text counts as a whole). Leaves firmwareRevision empty; the identifier read goes to
// `identifierRead` when given.
int CheckFirmwarePrefix(ProtocolContext& context, std::string_view expected, std::string* identifierRead = nullptr);
// 1 when the printer's identifier equals `expected`; stores the identifier in firmwareRevision.
int CheckFirmwareRevision(ProtocolContext& context, std::string_view expected);

}  // namespace varnel
