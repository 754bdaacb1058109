#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel::sim {

// The lines of a text file; LF or CR LF end a line.
std::vector<std::string> SplitLines(std::string_view text);

std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);
// The first blank- or tab-separated token, and the text after it without leading blanks.
std::string_view FirstToken(std::string_view text);
std::string_view AfterFirstToken(std::string_view text);

}  // namespace varnel::sim
