#include "base/Windows1252.h"

#include <gtest/gtest.h>

#include <string>

namespace varnel {
namespace {

using namespace std::string_literals;

TEST(Windows1252Test, ValidUtf8IsKeptAndAnythingElseIsReadByteByByte) {
    const struct {
        std::string bytes;
        std::string utf8;
    } cases[] = {
        {"plain ASCII", "plain ASCII"},
        {""s, ""s},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x96\xA8"s, "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x96\xA8"s},  // kept
        {"caf\xE9"s, "caf\xC3\xA9"s},                                       // Latin-1 letter
        {"\x80\x81\x93\x94\x9F"s, "\xE2\x82\xAC\xC2\x81\xE2\x80\x9C\xE2\x80\x9D\xC5\xB8"s},
        {"\xC3"s, "\xC3\x83"s},                                             // cut short
        {"\xC0\xAF"s, "\xC3\x80\xC2\xAF"s},                                 // overlong
        {"\xED\xA0\x80"s, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"s},                 // a surrogate
        {"\xF4\x90\x80\x80"s, "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"s}, // beyond U+10FFFF
        {"a\0b"s, "a\0b"s},
    };
    for (const auto& c : cases) EXPECT_EQ(TextAsUtf8(c.bytes), c.utf8) << c.bytes;
}

TEST(Windows1252Test, EveryByteHasACharacter) {
    EXPECT_EQ(Windows1252CodePoint(0x41), U'A');
    EXPECT_EQ(Windows1252CodePoint(0x80), U'\u20AC');
    EXPECT_EQ(Windows1252CodePoint(0x8D), U'\u008D') << "undefined positions keep their C1 code point";
    EXPECT_EQ(Windows1252CodePoint(0x9F), U'\u0178');
    EXPECT_EQ(Windows1252CodePoint(0xA0), U'\u00A0');
    EXPECT_EQ(Windows1252CodePoint(0xFF), U'\u00FF');
}

}  // namespace
}  // namespace varnel
