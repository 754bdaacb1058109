#pragma once

#include <string>

namespace varnel::test {

// "1B 7E 67" style rendering, so failures show the bytes that went over the wire.
inline std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

}  // namespace varnel::test
