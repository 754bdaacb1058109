#pragma once

#include <string_view>

namespace varnel {

// The printer maker's web address, named where a user is sent for map, options or firmware files.
inline constexpr std::string_view kMakerWebAddress = "https://www.pellam.example/printers";

}  // namespace varnel
