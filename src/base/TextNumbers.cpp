#include "base/TextNumbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace varnel {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Where a number's digits begin, as atoi and atof see it: after leading white space and one sign.
struct NumberStart {
    size_t digits;
    bool negative;
};

NumberStart FindNumberStart(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (negative || text[i] == '+')) ++i;
    return {i, negative};
}

}  // namespace

int32_t AtoI(std::string_view text) {
    const auto [start, negative] = FindNumberStart(text);
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (size_t i = start; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) value = kLimit;  // saturate; keep scanning the digits
    }
    if (negative) return static_cast<int32_t>(-value < std::numeric_limits<int32_t>::min()
                                                  ? std::numeric_limits<int32_t>::min()
                                                  : -value);
    return value > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                        : static_cast<int32_t>(value);
}

double AtoF(std::string_view text) {
    // Take the longest prefix that forms a decimal number, then let from_chars (locale-free)
    // convert it.
    const auto [mantissaStart, negative] = FindNumberStart(text);
    size_t i = mantissaStart;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) { ++i; ++digits; }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) { ++i; ++digits; }
    }
    if (digits == 0) return 0.0;
    size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            end = j;
        }
    }
    std::string number(text.substr(mantissaStart, end - mantissaStart));
    double value = 0.0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow or underflow; decide which it was.
        bool tiny = number.find_first_of("123456789") == std::string::npos ||
                    number.find("e-") != std::string::npos || number.find("E-") != std::string::npos;
        value = tiny ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

}  // namespace varnel
