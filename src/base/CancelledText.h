#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varnel {

// What a cancelled operation reports: "<Operation> cancelled after <done> of <total> <units>:
// <what that leaves>", so the user knows what the printer or the file now holds.
std::string CancelledText(std::string_view operation, int64_t done, int64_t total, std::string_view units,
                          std::string_view consequence);

}  // namespace varnel
