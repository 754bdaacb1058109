#include "flash/BootReplyText.h"

namespace varnel {

namespace {
constexpr unsigned char kFirstTextByte = 0x20;
}

std::string BootReplyText(std::string_view reply) {
    std::string text;
    for (char c : reply.substr(0, kBootReplySize)) {
        if (static_cast<unsigned char>(c) < kFirstTextByte) break;
        text.push_back(c);
    }
    return text;
}

}  // namespace varnel
