#pragma once

#include <string>
#include <string_view>

namespace varnel {

// Case is folded for the ASCII letters only, whatever the locale: the names compared are 8-bit
// text from files, printers and the command line, whose other bytes have no case we could know.
char ToLowerAscii(char c);
char ToUpperAscii(char c);
std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);

bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

// Orders by the lowercased bytes, read as unsigned; texts equal without regard to case are
// equivalent, so a stable sort keeps their order.
bool LessIgnoreCase(std::string_view a, std::string_view b);

}  // namespace varnel
