#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnel::sim {

// "1B 7E 72 05" (separator ' ') or "1b7e7205" (separator '\0').
std::string ToHex(std::string_view bytes, char separator = ' ');

// Reads pairs of hex digits; blanks between pairs are allowed. Anything else is refused.
std::optional<std::string> FromHex(std::string_view text);

// The bytes as text, with every byte outside printable ASCII shown as '.'.
std::string PrintableText(std::string_view bytes);

}  // namespace varnel::sim
