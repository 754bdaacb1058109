#include <algorithm>
#include <clocale>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/AsciiText.h"

namespace varnel {
namespace {

// Puts the character-type locale back after a test that changes it.
class CtypeLocale {
public:
    CtypeLocale() : old_(std::setlocale(LC_CTYPE, nullptr)) {}
    ~CtypeLocale() { std::setlocale(LC_CTYPE, old_.c_str()); }
    // Latin-1 locales give "\xC4" a lower case; we must not follow them.
    void UseLatin1() {
        for (const char* name : {"de_DE.ISO-8859-1", "de_DE", "en_US.ISO-8859-1", "C.UTF-8"})
            if (std::setlocale(LC_CTYPE, name)) return;
    }

private:
    std::string old_;
};

TEST(AsciiTextTest, ComparesAsciiLettersWithoutRegardToCaseAndOtherBytesExactly) {
    CtypeLocale locale;
    locale.UseLatin1();
    struct Case {
        std::string a;
        std::string b;
        bool equal;
        bool aStartsWithB;
    };
    const Case cases[] = {
        {"COM1", "com1", true, true},
        {"Font_Size", "fONT_sIZE", true, true},
        {"", "", true, true},
        {"abc", "", false, true},
        {"", "abc", false, false},
        {"LPT12", "lpt", false, true},
        {"lp", "LPT", false, false},
        {"[", "{", false, false},           // 0x5B and 0x7B differ by the case bit but are no letters
        {"@", "`", false, false},
        {"\xC4", "\xE4", false, false},      // A and a umlaut in Latin-1
        {"\xE4rger", "\xE4RGER", true, true},
        {std::string("a\0b", 3), std::string("A\0B", 3), true, true},
        {std::string("a\0b", 3), "A", false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EqualsIgnoreCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(EqualsIgnoreCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
        EXPECT_EQ(StartsWithIgnoreCase(c.a, c.b), c.aStartsWithB) << c.a << " / " << c.b;
    }
}

TEST(AsciiTextTest, ChangesTheCaseOfAsciiLettersOnly) {
    CtypeLocale locale;
    locale.UseLatin1();
    EXPECT_EQ(ToLowerAscii("Baud=9600 PARITY=N \xC4\xD6[@]"), "baud=9600 parity=n \xC4\xD6[@]");
    EXPECT_EQ(ToUpperAscii("rpd1_1a.bot \xE4\xF6{`}"), "RPD1_1A.BOT \xE4\xF6{`}");
    EXPECT_EQ(ToLowerAscii('Z'), 'z');
    EXPECT_EQ(ToUpperAscii('a'), 'A');
    EXPECT_EQ(ToLowerAscii('\xC4'), '\xC4');
}

TEST(AsciiTextTest, OrdersByLoweredBytesWithHighBytesLast) {
    struct Case {
        std::string a;
        std::string b;
        bool less;
    };
    const Case cases[] = {
        {"apple", "Banana", true},
        {"Banana", "apple", false},
        {"COM1", "com1", false},     // equal without regard to case: neither is less
        {"com1", "COM1", false},
        {"COM", "com1", true},       // a prefix comes first
        {"_", "a", true},            // "_" (0x5F) lies between the upper and the lower letters
        {"_", "A", true},
        {"z", "\xE4", true},         // bytes above 0x7F are unsigned, after every ASCII byte
        {"\xE4", "z", false},
    };
    for (const Case& c : cases) EXPECT_EQ(LessIgnoreCase(c.a, c.b), c.less) << c.a << " < " << c.b;

    std::vector<std::string> names{"lpt1", "COM2", "\xE4x", "com1", "Lpt1", "_x"};
    std::stable_sort(names.begin(), names.end(), LessIgnoreCase);
    EXPECT_EQ(names, (std::vector<std::string>{"_x", "com1", "COM2", "lpt1", "Lpt1", "\xE4x"}));
}

}  // namespace
}  // namespace varnel
