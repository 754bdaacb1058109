#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/DescriptionLines.h"

namespace varnel {
namespace {

using namespace std::string_literals;

std::vector<std::string> AllLines(const std::string& bytes) {
    std::istringstream in(bytes);
    DescriptionLineReader reader(in);
    std::vector<std::string> lines;
    while (reader.Good()) lines.push_back(reader.ReadLine());
    return lines;
}

TEST(DescriptionLinesTest, LinesAsFgetsReadsThemInTextMode) {
    const std::string x298(298, 'x'), x299(299, 'x');
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"no final line end", "a\nb", {"a", "b"}},
        {"CR LF, then one empty read at the end", "a\r\nb\r\n", {"a", "b", ""}},
        {"empty file", "", {""}},
        {"a lone CR stays in the line", "a\rb\n", {"a\rb", ""}},
        {"298 characters and CR LF fit", x298 + "\r\n", {x298, ""}},
        {"299 characters: the line end follows as an empty line", x299 + "\n", {x299, "", ""}},
        {"300 characters: the last one is the next line", x299 + "y", {x299, "y"}},
        {"a NUL ends the line's text", "ab\0cd\nef"s, {"ab", "ef"}},
    };
    for (const Case& c : cases) EXPECT_EQ(AllLines(c.bytes), c.lines) << c.what;
}

TEST(DescriptionLinesTest, Tokens) {
    EXPECT_EQ(SkipBlanks(" \t a b"), "a b");
    EXPECT_EQ(FirstToken("Name\t12 3"), "Name");
    EXPECT_EQ(DropToken("Name \t 12 3"), "12 3");
    EXPECT_EQ(DropToken("Name"), "");
    EXPECT_EQ(TrimBlanks(" \t x y \t"), "x y");
    EXPECT_EQ(ValueBeforeComment("RP DEMO \t; c"), "RP DEMO");
    EXPECT_EQ(ValueBeforeComment("A\rB"), "A");
    EXPECT_EQ(CommentOfLine("Cut 1 2 3 ; a ; b"), "; a ; b");
    EXPECT_EQ(CommentOfLine("Cut 1 2 3"), "Cut 1 2 3");
}

}  // namespace
}  // namespace varnel
