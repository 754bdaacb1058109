#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "base/TextNumbers.h"

namespace varnel {
namespace {

struct IntCase {
    const char* text;
    int32_t expected;
};

TEST(AtoITest, ReadsLikeTheCLibraryWithoutOverflow) {
    const IntCase cases[] = {
        {"42", 42},         {"  -17abc", -17}, {"+5", 5},         {"abc", 0},
        {"", 0},            {"\t 12 34", 12},  {"-", 0},          {"0x10", 0},
        {"2147483647", std::numeric_limits<int32_t>::max()},
        {"99999999999999999999", std::numeric_limits<int32_t>::max()},
        {"-2147483648", std::numeric_limits<int32_t>::min()},
        {"-99999999999999999999", std::numeric_limits<int32_t>::min()},
    };
    for (const IntCase& c : cases) EXPECT_EQ(AtoI(c.text), c.expected) << c.text;
}

struct DoubleCase {
    const char* text;
    double expected;
};

TEST(AtoFTest, ReadsDecimalsWhateverTheLocale) {
    // A locale with a decimal comma must not change how "12.3" reads.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    const DoubleCase cases[] = {
        {"12.3", 12.3}, {"  -0.5x", -0.5}, {"88.90", 88.90}, {".5", 0.5},  {"5.", 5.0},
        {"abc", 0.0},   {"1e2", 100.0},    {"1e", 1.0},      {"-", 0.0},   {"3.25.1", 3.25},
    };
    for (const DoubleCase& c : cases) EXPECT_DOUBLE_EQ(AtoF(c.text), c.expected) << c.text;
    std::setlocale(LC_NUMERIC, "C");
}

TEST(AtoFTest, HugeExponentsSaturate) {
    EXPECT_EQ(AtoF("1e999"), HUGE_VAL);
    EXPECT_EQ(AtoF("-1e999"), -HUGE_VAL);
    EXPECT_EQ(AtoF("1e-999"), 0.0);
}

}  // namespace
}  // namespace varnel
