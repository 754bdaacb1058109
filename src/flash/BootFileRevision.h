#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varnel {

inline constexpr size_t kMaxFileRevLength = 19;

// The firmware revision a boot file's name stands for: the name up to its first ".", every "_"
// made "-", and a "." before the last two characters (PB15_101.BOT gives PB15-1.01).
std::string BootFileRevision(std::string_view fileName);

}  // namespace varnel
