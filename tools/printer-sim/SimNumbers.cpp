#include "SimNumbers.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace varnel::sim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i;
}

}  // namespace

long LeadingInt(std::string_view text) {
    std::size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const int digit = text[i] - '0';
        if (value > (LONG_MAX - digit) / 10) return negative ? LONG_MIN : LONG_MAX;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

double LeadingDouble(std::string_view text) {
    std::size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    double value = 0.0;
    const char* first = text.data() + i;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) return negative ? -HUGE_VAL : HUGE_VAL;
    if (error != std::errc() || end == first) return 0.0;
    return negative ? -value : value;
}

std::optional<long> StrictInt(std::string_view text, long low, long high) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

}  // namespace varnel::sim
