#pragma once

#include <optional>
#include <string_view>

namespace varnel::sim {

// The number at the start of a text the way atoi reads it (blanks, sign, digits; 0 when none),
// independent of the locale and saturating instead of overflowing.
long LeadingInt(std::string_view text);

// The same for atof: sign, digits, decimal point, fraction, exponent. Always a '.' point.
double LeadingDouble(std::string_view text);

// A whole text that is a decimal number within [low, high]; nothing else is accepted.
std::optional<long> StrictInt(std::string_view text, long low, long high);

}  // namespace varnel::sim
