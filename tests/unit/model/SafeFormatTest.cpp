#include <climits>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "model/SafeFormat.h"

namespace varnel {
namespace {

using namespace std::string_literals;

std::string Printf(const std::string& format, int value) {
    char buffer[200];
    std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    return buffer;
}

// "l" formats are compared with a 32-bit long, the width the files were written for.
std::string PrintfLong(const std::string& format, int value) {
    char buffer[200];
    bool isUnsigned = format.find_first_of("uxXo") != std::string::npos;
    if (isUnsigned)
        std::snprintf(buffer, sizeof buffer, format.c_str(), static_cast<unsigned long>(static_cast<unsigned>(value)));
    else
        std::snprintf(buffer, sizeof buffer, format.c_str(), static_cast<long>(value));
    return buffer;
}

const int kValues[] = {0, 1, -1, 7, 42, -42, 255, 256, 4660, 65535, -32768, INT_MAX, INT_MIN};

TEST(SafeFormatTest, WellFormedFormatsGiveWhatPrintfGives) {
    const char* formats[] = {
        "%i sec", "%d", "%u", "%x", "%X", "%o", "Level %i", "%i%%", "100%% at %d dots",
        "%5d|", "%-5d|", "%05d", "%+d", "% d", "%+ d", "% +i", "%-+6i|", "%.3d", "%.0d", "%.d",
        "%8.3d", "%-8.3d|", "%08.3d", "%#x", "%#X", "%#o", "%#.0o", "%#.0x", "%#8x", "%#08x",
        "%-#10o|", "%+u", "% x", "%hd", "%hu", "%hhd", "%hhu", "%hx", "%hho", "%0-5d|", "%--5d|",
        "%00003d", "%150d", "%-150d|", "%.150d", "0x%04X", "%% only %%", "plain text",
        "%+.5i %%", "%3i min %%d",
    };
    for (const char* format : formats)
        for (int value : kValues)
            ASSERT_EQ(SafeFormat(format, value), Printf(format, value)) << format << " with " << value;
}

TEST(SafeFormatTest, LongLengthIsThirtyTwoBits) {
    for (const char* format : {"%ld", "%li", "%lu", "%lx", "%08lX", "%-+7ld|"})
        for (int value : kValues)
            ASSERT_EQ(SafeFormat(format, value), PrintfLong(format, value)) << format << " with " << value;
}

TEST(SafeFormatTest, EverythingButOneIntegerConversionIsCopied) {
    struct Case {
        std::string format;
        int value;
        std::string expected;
    };
    const Case cases[] = {
        {"%s%s%n", 5, "%s%s%n"},
        {"%s = %d", 5, "%s = 5"},
        {"%d and %d", 5, "5 and %d"},
        {"%d %n %p %f", 5, "5 %n %p %f"},
        {"%*d", 5, "%*d"},
        {"%.*d", 5, "%.*d"},
        {"%lld %d", 5, "%lld 5"},
        {"%zd %jd %I64d %Lf", 5, "%zd %jd %I64d %Lf"},
        {"%c%5s", 65, "%c%5s"},
        {"100%", 5, "100%"},
        {"%5", 5, "%5"},
        {"%5.%", 5, "%5.%"},
        {"%-", 5, "%-"},
        {"abc%", 5, "abc%"},
        {"%d%%%d", 5, "5%%d"},
        {"before\0%n after"s, 5, "before"},
        {"", 5, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(SafeFormat(c.format, c.value), c.expected) << c.format;
}

TEST(SafeFormatTest, ResultIsCutAtTheBufferLength) {
    EXPECT_EQ(SafeFormat("%300d", 7), std::string(199, ' '));
    EXPECT_EQ(SafeFormat("%-2147483647d", 7), "7" + std::string(198, ' '));
    EXPECT_EQ(SafeFormat("%.99999999999999d", 7), std::string(199, '0'));
    std::string longText(250, 'a');
    EXPECT_EQ(SafeFormat(longText + "%d", 7), std::string(199, 'a'));
    EXPECT_EQ(SafeFormat(std::string(198, 'b') + "%d", 12345), std::string(198, 'b') + "1");
}

}  // namespace
}  // namespace varnel
