#pragma once

#include <string>
#include <string_view>

namespace varnel::test {

// "1B 7E 67" style rendering, so failures show the bytes that went over the wire; an empty
// `separator` packs them ("1B7E67").
inline std::string Hex(std::string_view bytes, std::string_view separator = " ") {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += separator;
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

}  // namespace varnel::test
