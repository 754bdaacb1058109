#pragma once

#include <string>

namespace varnel {

// Appends one Unicode code point as UTF-8 (one to four bytes).
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace varnel
