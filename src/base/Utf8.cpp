#include "base/Utf8.h"

namespace varnel {
namespace {

constexpr char32_t kFirstTwoByte = 0x80;
constexpr char32_t kFirstThreeByte = 0x800;
constexpr char32_t kFirstFourByte = 0x10000;

char Continuation(char32_t bits) { return static_cast<char>(0x80 | (bits & 0x3F)); }

}  // namespace

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < kFirstTwoByte) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < kFirstThreeByte) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += Continuation(codePoint);
    } else if (codePoint < kFirstFourByte) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += Continuation(codePoint >> 6);
        out += Continuation(codePoint);
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += Continuation(codePoint >> 12);
        out += Continuation(codePoint >> 6);
        out += Continuation(codePoint);
    }
}

}  // namespace varnel
