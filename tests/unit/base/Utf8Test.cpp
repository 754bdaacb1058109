#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <string>

#include "support/HexBytes.h"

namespace varnel {
namespace {

TEST(Utf8Test, EachLengthAtItsBoundaries) {
    struct Case {
        char32_t codePoint;
        const char* bytes;
    };
    const Case cases[] = {
        {0x00, "00"},           {0x7F, "7F"},
        {0x80, "C2 80"},        {0x7FF, "DF BF"},
        {0x800, "E0 A0 80"},    {0x20AC, "E2 82 AC"},
        {0xFFFF, "EF BF BF"},   {0x10000, "F0 90 80 80"},
        {0x1F5A8, "F0 9F 96 A8"}, {0x10FFFF, "F4 8F BF BF"},
    };
    for (const Case& c : cases) {
        std::string out = "x";
        AppendUtf8(out, c.codePoint);
        EXPECT_EQ(test::Hex(out), std::string("78 ") + c.bytes) << std::hex << static_cast<uint32_t>(c.codePoint);
    }
}

}  // namespace
}  // namespace varnel
