#include <gtest/gtest.h>

#include <filesystem>

#include "flash/BootFileRevision.h"
#include "flash/BootFileSearch.h"
#include "support/ModelFolders.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

using test::ScratchDir;
using test::WriteFileBytes;

class BootFileSearchTest : public ::testing::Test {
protected:
    void Create(std::initializer_list<const char*> names) {
        for (const char* name : names) WriteFileBytes(dir.File(name), "boot");
    }
    std::string Prefix() const { return dir.path() + "/"; }
    // The upper-case name of the boot file found; empty when nothing matches.
    static std::string Found(const std::string& prefix, std::string_view firmwareId) {
        std::optional<BootFileMatch> match = FindBootFileOnDisk(prefix, firmwareId);
        return match ? match->name : std::string();
    }

    ScratchDir dir;
};

TEST_F(BootFileSearchTest, PicksTheGreatestMatchingNameInUpperCase) {
    Create({"PB15_100.BOT", "PB15_101.BOT", "PB16_999.BOT", "PB15_1.txt"});
    EXPECT_EQ(Found(Prefix(), "PB15_1*"), "PB15_101.BOT");
}

TEST_F(BootFileSearchTest, MatchesWithoutRegardToCaseAndKeepsTheNameOnDisk) {
    Create({"pb15_101.bot", "PB15_100.BOT"});
    std::optional<BootFileMatch> match = FindBootFileOnDisk(Prefix(), "Pb15_1*");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->name, "PB15_101.BOT");
    EXPECT_EQ(match->diskName, "pb15_101.bot");
}

TEST_F(BootFileSearchTest, QuestionMarkStandsForExactlyOneCharacter) {
    Create({"RPD1_101.BOT", "RPD1_1011.BOT"});
    EXPECT_EQ(Found(Prefix(), "RPD1_1??"), "RPD1_101.BOT");
}

TEST_F(BootFileSearchTest, OrdersByUpperCaseBytes) {
    // "_" (0x5F) sorts after upper-case letters but before lower-case ones; compared in upper case
    // the letter wins here.
    Create({"A_1.BOT", "ab1.bot"});
    EXPECT_EQ(Found(Prefix(), "A*"), "A_1.BOT");
}

TEST_F(BootFileSearchTest, NothingMatchingGivesAnEmptyName) {
    Create({"PB15_101.BIN"});
    EXPECT_EQ(Found(Prefix(), "PB15_1*"), "");
    EXPECT_EQ(Found(dir.File("missing/"), "*"), "");
}

TEST_F(BootFileSearchTest, DirectoriesAreNoBootFiles) {
    std::filesystem::create_directory(dir.File("PB15_200.BOT"));
    Create({"PB15_101.BOT"});
    EXPECT_EQ(Found(Prefix(), "PB15_*"), "PB15_101.BOT");
}

TEST_F(BootFileSearchTest, APrefixMayEndInPartOfAName) {
    Create({"XPB15_101.BOT", "PB15_102.BOT"});
    EXPECT_EQ(Found(dir.File("X"), "PB15_1*"), "XPB15_101.BOT");
}

TEST(BootFileModelFolders, ARelativePrefixIsLookedForInEveryModelFolderAnAbsoluteOneOnlyWhereItPoints) {
    test::ModelFolders folders;
    std::filesystem::create_directories(folders.Share1() + "/boot");
    test::ModelFolders::Put(folders.Share1() + "/boot", "PB15_101.BOT", "boot");
    test::ModelFolders::Put(folders.Share2(), "PB15_102.BOT", "boot");

    std::optional<BootFileMatch> match = FindBootFileOnDisk("boot/", "PB15_1*");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->name, "PB15_101.BOT");
    EXPECT_EQ(match->Path("boot/"), folders.Share1() + "/boot/PB15_101.BOT");

    match = FindBootFileOnDisk("", "PB15_1*");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->Path(""), folders.Share2() + "/PB15_102.BOT");

    EXPECT_FALSE(FindBootFileOnDisk(folders.Work() + "/", "PB15_1*"));
}

TEST(BootFileRevisionTest, MadeFromTheName) {
    struct Case {
        const char* name;
        const char* revision;
    } cases[] = {
        {"PB15_101.BOT", "PB15-1.01"},
        {"RPD1_101.BOT", "RPD1-1.01"},
        {"A_B_C12.X.BOT", "A-B-C.12"},
        {"12.BOT", ".12"},
        {"7.BOT", "7"},  // too short for a minor revision: kept whole
        {"ABCDEFGHIJKLMNOPQRSTUV.BOT", "ABCDEFGHIJKLMNOPQRS"},
    };
    for (const Case& c : cases) EXPECT_EQ(BootFileRevision(c.name), c.revision) << c.name;
}

}  // namespace
}  // namespace varnel
