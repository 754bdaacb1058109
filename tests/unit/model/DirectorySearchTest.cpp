#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/DirectorySearch.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

TEST(DirectorySearchTest, PatternsMatchWithoutRegardToCase) {
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"demo.map", "*.map", true},          {"DEMO.MAP", "*.map", true},
        {"demo.Map", "*.MAP", true},          {".map", "*.map", true},
        {"demo.mapx", "*.map", false},        {"demo.map.bak", "*.map", false},
        {"demomap", "*.map", false},          {"a.map.map", "*.map", true},
        {"RPD1_101.BOT", "RPD1_1*.bot", true}, {"rpd1_100.bot", "RPD1_1*.bot", true},
        {"RPD1_201.BOT", "RPD1_1*.bot", false}, {"RPD1_1.bot", "RPD1_1*.bot", true},
        {"ab", "a?", true},                   {"a", "a?", false},
        {"abc", "*", true},                   {"", "*", true},
        {"x", "", false},                     {"aXbXc", "*x*x*", true},
    };
    for (const Case& c : cases) EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

TEST(DirectorySearchTest, ListsRegularFilesInCaseInsensitiveOrderWithTheirOwnNames) {
    test::ScratchDir dir;
    for (const char* name : {"b.map", "C.MAP", "a.Map", "B.map", "notes.txt", "z.map.bak"})
        test::WriteFileBytes(dir.File(name), "x");
    std::filesystem::create_directory(dir.File("d.map"));
    std::filesystem::create_symlink(dir.File("a.Map"), dir.File("e.map"));

    std::vector<std::string> expected = {"a.Map", "B.map", "b.map", "C.MAP", "e.map"};
    EXPECT_EQ(ListMatchingFiles(dir.path(), "*.map"), expected);
    EXPECT_TRUE(ListMatchingFiles(dir.File("missing"), "*.map").empty());
}

TEST(DirectorySearchTest, PathPatternsNameTheirDirectory) {
    test::ScratchDir dir;
    for (const char* name : {"RPD1_100.BOT", "rpd1_101.bot", "RPD1_201.BOT"}) test::WriteFileBytes(dir.File(name), "x");
    std::vector<std::string> expected = {"RPD1_100.BOT", "rpd1_101.bot"};
    EXPECT_EQ(ListFilesMatchingPath(dir.path() + "/RPD1_1*.bot"), expected);

    dir.Enter();
    EXPECT_EQ(ListFilesMatchingPath("*_2*.BOT"), std::vector<std::string>{"RPD1_201.BOT"});
}

TEST(DirectorySearchTest, JoinPathLeavesWorkingDirectoryNamesBare) {
    EXPECT_EQ(JoinPath(".", "a.opt"), "a.opt");
    EXPECT_EQ(JoinPath("", "a.opt"), "a.opt");
    EXPECT_EQ(JoinPath("/tmp/x", "a.opt"), "/tmp/x/a.opt");
    EXPECT_EQ(JoinPath("/tmp/x/", "a.opt"), "/tmp/x/a.opt");
}

}  // namespace
}  // namespace varnel
