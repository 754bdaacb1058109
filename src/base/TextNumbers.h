#pragma once

#include <cstdint>
#include <string_view>

namespace varnel {

// atoi as the original platform reads numbers: leading blanks, optional sign, digits; anything
// else ends the number; no digits gives 0. Independent of the locale; saturates instead of
// overflowing.
int32_t AtoI(std::string_view text);

// atof likewise: leading blanks, sign, digits, one '.', an exponent; always '.' as the decimal
// point whatever the locale. Out-of-range values saturate to +/- HUGE_VAL as strtod does.
double AtoF(std::string_view text);

}  // namespace varnel
