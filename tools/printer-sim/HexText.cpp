#include "HexText.h"

namespace varnel::sim {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string ToHex(std::string_view bytes, char separator) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (unsigned char byte : bytes) {
        if (!out.empty() && separator != '\0') out += separator;
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    return out;
}

std::optional<std::string> FromHex(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t' || text[i] == '\n') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) return std::nullopt;
        const int high = HexValue(text[i]);
        const int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string PrintableText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char byte : bytes) out += (byte >= 0x20 && byte < 0x7F) ? static_cast<char>(byte) : '.';
    return out;
}

}  // namespace varnel::sim
