#include "io/Substitution.h"

#include <gtest/gtest.h>

#include "io/PortSettings.h"

namespace varnel {
namespace {

struct PairCase {
    std::string data, pattern, conversion, expected;
    size_t result;
};

TEST(Substitution, PairTable) {
    const PairCase cases[] = {
        {"ABAB", "AB", "X", "XX", 2},
        {"AB", "AB", "X", "X", 1},
        {"ABD", "ABC", "X", "ABD", 0},               // same length, not equal
        {"AAA", "A", "AA", "AAAAAA", 6},             // inserted bytes are not searched again
        {"xxABxx", "AB", "", "xxxx", 4},             // empty conversion deletes
        {"no match", "AB", "X", "no match", 0},
        {std::string("AB\0AB", 5), "AB", "X", std::string("X\0AB", 4), 4},  // search stops at zero
        {"ABAB", std::string("AB\0Z", 4), "X", "XX", 2},                     // pattern ends at zero
    };
    for (const PairCase& c : cases) {
        std::string data = c.data;
        EXPECT_EQ(SubstitutePair(data, c.pattern, c.conversion), c.result) << c.data;
        EXPECT_EQ(data, c.expected) << c.data;
    }
}

TEST(Substitution, AtMostOneHundredReplacements) {
    std::string data(150, 'A');
    EXPECT_EQ(SubstitutePair(data, "A", "B"), 150u);
    EXPECT_EQ(data, std::string(100, 'B') + std::string(50, 'A'));
}

TEST(Substitution, PairsApplyInOrderAndOnlyBelowTheLimits) {
    PortExtras extras;
    extras.DoExtra = 1;
    extras.Pattern = {"A", "BB", "", "C"};
    extras.Conversion = {"BB", "C", "never", "D"};
    EXPECT_EQ(ApplySubstitutions("xAx", extras), "xDx");

    // 580 bytes are sent unchanged; 579 are substituted.
    EXPECT_EQ(ApplySubstitutions(std::string(580, 'A'), extras), std::string(580, 'A'));
    extras.Pattern = {"Q", "", "", ""};
    extras.Conversion = {"R", "", "", ""};
    EXPECT_EQ(ApplySubstitutions(std::string(579, 'Q'), extras), std::string(100, 'R') + std::string(479, 'Q'));

    // A pair whose result would reach 600 bytes is skipped, later pairs still apply.
    extras.Pattern = {"A", "Z", "", ""};
    extras.Conversion = {"AAA", "Y", "", ""};
    std::string data = std::string(400, 'A') + "Z";
    EXPECT_EQ(ApplySubstitutions(data, extras), std::string(400, 'A') + "Y");

    extras.DoExtra = 0;
    EXPECT_EQ(ApplySubstitutions("Z", extras), "Z");
}

}  // namespace
}  // namespace varnel
