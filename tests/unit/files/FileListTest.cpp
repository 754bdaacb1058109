#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "files/FileList.h"
#include "files/LocalFileName.h"

namespace varnel {
namespace {

using namespace std::string_literals;

TEST(FileListTest, TextsUpToTheEmptyOneAreEntries) {
    EXPECT_EQ(ParseFileList("A\tx\0B\0\0C\0"s), (std::vector<std::string>{"A\tx", "B"}));
    EXPECT_TRUE(ParseFileList("\0\0"s).empty());
    EXPECT_TRUE(ParseFileList(""s).empty());
    EXPECT_EQ(ParseFileList("cut"s), std::vector<std::string>{"cut"}) << "a reply without its end still lists";
}

TEST(FileListTest, EntriesEqualWithoutRegardToCaseAreListedOnce) {
    EXPECT_EQ(ParseFileList("Logo\t1\0LOGO\t1\0logo\t2\0\0"s), (std::vector<std::string>{"Logo\t1", "logo\t2"}));
}

TEST(FileListTest, FileNameIsTheEntryUpToItsFirstTab) {
    EXPECT_EQ(EntryFileName("logo.bmp\t12\t3"), "logo.bmp");
    EXPECT_EQ(EntryFileName("plain"), "plain");
    EXPECT_EQ(EntryFileName("\t5"), "");
}

TEST(FileListTest, SizeIsTheSecondColumnWhenItIsAPlainDecimalNumber) {
    const struct {
        std::string entry;
        std::optional<uint64_t> size;
    } cases[] = {
        {"logo.bmp\t60000", 60000},
        {"logo.bmp\t0", 0},
        {"logo.bmp\t12\t3", 12},
        {"logo.bmp\t18446744073709551615", UINT64_MAX},
        {"logo.bmp", std::nullopt},
        {"logo.bmp\t", std::nullopt},
        {"logo.bmp\t\t12", std::nullopt},
        {"logo.bmp\t12 KB", std::nullopt},
        {"logo.bmp\t 12", std::nullopt},
        {"logo.bmp\t+12", std::nullopt},
        {"logo.bmp\t-12", std::nullopt},
        {"logo.bmp\t0x10", std::nullopt},
        {"logo.bmp\t18446744073709551616", std::nullopt},
        {"60000", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(EntryFileSize(c.entry), c.size) << c.entry;
}

TEST(LocalFileNameTest, OnlyPlainNamesInTheCurrentDirectoryAreSafe) {
    struct Case {
        std::string name;
        bool safe;
    };
    const Case cases[] = {
        {"logo.bmp", true},  {"..hidden", true},      {"a b.txt", true},   {"\xE9t\xE9.txt", true},
        {"", false},         {".", false},            {"..", false},       {"../x", false},
        {"/etc/passwd", false}, {"dir/x", false},     {"a\nb", false},     {"tab\there", false},
        {"del\x7F", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSafeLocalFileName(c.name), c.safe) << c.name;
}

TEST(LocalFileNameTest, PrinterNameIsThePartAfterTheLastSlash) {
    EXPECT_EQ(PrinterNameOfPath("/home/u/logo.bmp"), "logo.bmp");
    EXPECT_EQ(PrinterNameOfPath("logo.bmp"), "logo.bmp");
    EXPECT_EQ(PrinterNameOfPath("C:\\dir\\x.bmp"), "C:\\dir\\x.bmp");
}

}  // namespace
}  // namespace varnel
