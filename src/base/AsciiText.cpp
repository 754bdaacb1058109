#include "base/AsciiText.h"

#include <algorithm>

namespace varnel {
namespace {

constexpr char kCaseDistance = 'a' - 'A';

unsigned char FoldedByte(char c) { return static_cast<unsigned char>(ToLowerAscii(c)); }

}  // namespace

char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + kCaseDistance) : c; }

char ToUpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - kCaseDistance) : c; }

std::string ToLowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = ToLowerAscii(c);
    return lower;
}

std::string ToUpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = ToUpperAscii(c);
    return upper;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return ToLowerAscii(x) == ToLowerAscii(y); });
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool LessIgnoreCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return FoldedByte(x) < FoldedByte(y); });
}

}  // namespace varnel
