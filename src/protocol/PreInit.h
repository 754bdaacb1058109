#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/ConfigModel.h"

namespace varnel {

// The pre-init sequence is sent as a text string, so it never holds more than this many bytes
// and ends at its first zero byte.
inline constexpr size_t kMaxPreInitBytes = 499;

// The bytes a comma-separated list of decimal numbers names ("27,64,10" -> 1B 40 0A), each
// taken as its low 8 bits. The result stops before a listed 0 and keeps at most 499 bytes.
std::string ParsePreInitList(std::string_view list);

// Replaces `sequence` with the bytes of the "Pre_Init_Command" setting when that row exists and
// its text holds a digit; otherwise the sequence keeps what it held.
void UpdatePreInitSequence(const SettingsTable& settings, std::string& sequence);

}  // namespace varnel
