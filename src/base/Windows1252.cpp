#include "base/Windows1252.h"

#include "base/Utf8.h"

namespace varnel {
namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kFirstSurrogate = 0xD800, kLastSurrogate = 0xDFFF;

// The length of a UTF-8 sequence from its first byte, 0 for a byte that cannot start one.
int SequenceLength(unsigned char first) {
    if (first < 0x80) return 1;
    if (first >= 0xC2 && first <= 0xDF) return 2;
    if (first >= 0xE0 && first <= 0xEF) return 3;
    if (first >= 0xF0 && first <= 0xF4) return 4;
    return 0;
}

}  // namespace

char32_t Windows1252CodePoint(unsigned char byte) {
    if (byte >= kFirstHighControl && byte <= kLastHighControl) return kWindows1252High[byte - kFirstHighControl];
    return byte;  // the rest is Latin-1
}

bool IsValidUtf8(std::string_view bytes) {
    for (size_t at = 0; at < bytes.size();) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const int length = SequenceLength(first);
        if (length == 0 || at + static_cast<size_t>(length) > bytes.size()) return false;
        char32_t code = length == 1 ? first : first & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
        const char32_t smallest = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0;
        if (code < smallest || code > kMaxCodePoint || (code >= kFirstSurrogate && code <= kLastSurrogate))
            return false;
        at += static_cast<size_t>(length);
    }
    return true;
}

std::string TextAsUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) AppendUtf8(out, Windows1252CodePoint(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace varnel
