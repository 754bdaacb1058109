#include <gtest/gtest.h>

#include "protocol/PreInit.h"
#include "support/HexBytes.h"

namespace varnel {
namespace {

using test::Hex;

TEST(PreInitTest, ParsesTheList) {
    struct Case {
        const char* list;
        const char* hex;
    };
    const Case cases[] = {
        {"27,64,10", "1B 40 0A"},
        {"27,64", "1B 40"},
        {"27,0,64", "1B"},          // sent as a text string: a zero ends it
        {" 27, 64", "1B 40"},
        {"283", "1B"},              // low 8 bits
        {"27,,64", "1B"},           // an empty item reads as 0
        {"-1", "FF"},
        {"abc", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Hex(ParsePreInitList(c.list)), c.hex) << c.list;
}

TEST(PreInitTest, KeepsAtMost499Bytes) {
    std::string list;
    for (int i = 0; i < 600; ++i) list += std::to_string(1 + i % 200) + ",";
    const std::string bytes = ParsePreInitList(list);
    ASSERT_EQ(bytes.size(), kMaxPreInitBytes);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 1);
    EXPECT_EQ(static_cast<uint8_t>(bytes[498]), 1 + 498 % 200);
}

TEST(PreInitTest, UpdatesOnlyFromARowWithADigit) {
    SettingsTable settings;
    std::string sequence = "\x1B@";

    UpdatePreInitSequence(settings, sequence);
    EXPECT_EQ(sequence, "\x1B@") << "no row: unchanged";

    settings[3].name = "Pre_Init_Command";
    settings[3].text = "none";
    UpdatePreInitSequence(settings, sequence);
    EXPECT_EQ(sequence, "\x1B@") << "no digit: unchanged";

    settings[3].text = "27,0,64";
    UpdatePreInitSequence(settings, sequence);
    EXPECT_EQ(Hex(sequence), "1B");

    settings[3].text = "0";
    UpdatePreInitSequence(settings, sequence);
    EXPECT_EQ(sequence, "") << "a digit that lists only a zero empties it";
}

}  // namespace
}  // namespace varnel
