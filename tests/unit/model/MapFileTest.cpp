#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/ConfigModel.h"
#include "model/LockValue.h"
#include "model/MapFile.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

using test::RecordingReporter;

const std::string kWarningAndAddress =
    "\n\nWARNING: Do not modify a map file. Modification of a map file can render your printer unusable."
    "\nObtain map files from your printer manufactrure. \"https://www.pellam.example/printers\"";

class MapFileTest : public ::testing::Test {
protected:
    // Writes the file and reads it into the model's map table.
    bool Read(const std::string& bytes, bool printLock = false) {
        test::WriteFileBytes(path, bytes);
        return ReadMapFile(model, model.mapEntries, path, printLock, reporter);
    }

    // A file of the given lines with a "Setup" line in front that carries the right lock value.
    std::string WithCorrectLock(const std::string& lines) {
        ConfigModel scratch;
        scratch.lockOverride = true;
        RecordingReporter ignored;
        test::WriteFileBytes(path, "Setup 0\n" + lines);
        ReadMapFile(scratch, scratch.mapEntries, path, false, ignored);
        char setup[64];
        std::snprintf(setup, sizeof setup, "Setup %.10f\n", scratch.mapLockValue);
        return setup + lines;
    }

    test::ScratchDir dir;
    std::string path = dir.File("demo.map");
    ConfigModel model;
    RecordingReporter reporter;
};

TEST_F(MapFileTest, WorkedExampleGivesTheLockValueToTwoDecimals) {
    ASSERT_TRUE(Read("Model TM100\r\nSetup 88.9\r\nBaud_Rate 2.0 4 1\r\n", true));
    EXPECT_NEAR(model.mapLockValue, 88.9, 1e-9);
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_EQ(reporter.entries[0].kind, RecordingReporter::Kind::Message);
    EXPECT_EQ(reporter.entries[0].text, "Map file value should be: 88.90");
    EXPECT_EQ(reporter.entries[0].eventCode, 0);
    EXPECT_EQ(reporter.entries[0].severity, 5);

    const MapTable& rows = model.mapEntries;
    EXPECT_EQ(rows[0].name, "Model");
    EXPECT_EQ(rows[0].text, "TM100");
    EXPECT_EQ(rows[0].location, -1.0);
    EXPECT_EQ(rows[0].comment, "Model TM100");  // no ";": the whole line
    EXPECT_EQ(rows[1].name, "Setup");
    EXPECT_DOUBLE_EQ(rows[1].location, 88.9);
    EXPECT_EQ(rows[2].name, "Baud_Rate");
    EXPECT_DOUBLE_EQ(rows[2].location, 2.0);
    EXPECT_EQ(rows[2].width, 4);
    EXPECT_EQ(rows[2].table, 1);
    EXPECT_TRUE(rows[3].name.empty());
}

TEST_F(MapFileTest, StoredLockIsAcceptedWithinTwoHundredths) {
    struct Case {
        const char* stored;
        bool accepted;
    };
    const Case cases[] = {{"88.9", true},   {"88.885", true}, {"88.915", true},
                          {"88.875", false}, {"88.925", false}, {"0", false}, {"-88.9", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        reporter.entries.clear();
        EXPECT_EQ(Read(std::string("Model TM100\nSetup ") + c.stored + "\nBaud_Rate 2.0 4 1\n"), c.accepted);
        EXPECT_EQ(reporter.Errors().empty(), c.accepted);
    }
}

TEST_F(MapFileTest, LineKindsAndTokens) {
    const std::string file =
        "; leading comment\n"
        "\t  \n"
        "Model \t RP DEMO  \t; the model ; twice\r\n"
        "; waits for the next entry\n"
        "Cut_Mode\t12.3  2\t1 ; cutter\n"
        "x\n"
        "model 5 6 7\n"
        "  No_Numbers\n"
        "Firmware RPD1-1.00\n"
        "Tail -4.5e1 +3 -2 trailing words\n"
        "; left after the last entry\n";
    ASSERT_FALSE(Read(file));  // no Setup line: the rows read stay
    const MapTable& rows = model.mapEntries;

    EXPECT_EQ(rows[0].name, "Model");
    EXPECT_EQ(rows[0].text, "RP DEMO");
    EXPECT_EQ(rows[0].comment, "; the model ; twice");

    EXPECT_EQ(rows[1].name, "Cut_Mode");
    EXPECT_DOUBLE_EQ(rows[1].location, 12.3);
    EXPECT_EQ(rows[1].width, 2);
    EXPECT_EQ(rows[1].table, 1);
    EXPECT_EQ(rows[1].comment, "; cutter");  // its own comment replaces the waiting one

    EXPECT_EQ(rows[2].name, "model");  // names are case-sensitive: a setting entry
    EXPECT_DOUBLE_EQ(rows[2].location, 5.0);
    EXPECT_EQ(rows[2].comment, "model 5 6 7");
    EXPECT_TRUE(rows[2].text.empty());

    EXPECT_EQ(rows[3].name, "No_Numbers");
    EXPECT_EQ(rows[3].location, 0.0);
    EXPECT_EQ(rows[3].width, 0);
    EXPECT_EQ(rows[3].table, 0);

    EXPECT_EQ(rows[4].name, "Firmware");
    EXPECT_EQ(rows[4].text, "RPD1-1.00");

    EXPECT_DOUBLE_EQ(rows[5].location, -45.0);
    EXPECT_EQ(rows[5].width, 3);
    EXPECT_EQ(rows[5].table, -2);

    EXPECT_EQ(rows[6].comment, "; left after the last entry");
    EXPECT_TRUE(rows[6].name.empty());
}

TEST_F(MapFileTest, OnlyTheFirstTwoHundredEntriesAreReadAndCounted) {
    std::string first200, extra;
    for (int i = 0; i < 199; ++i) first200 += "Setting_" + std::to_string(i) + " " + std::to_string(i % 250) + ".1 1 3\n";
    for (int i = 0; i < 5; ++i) extra += "Extra_" + std::to_string(i) + " 9 8 7\n";
    std::string file = WithCorrectLock(first200);  // Setup + 199 settings = 200 entries
    ASSERT_TRUE(Read(file + extra));
    EXPECT_EQ(model.mapEntries[199].name, "Setting_198");
    EXPECT_EQ(FindMapRow(model.mapEntries, "Extra_0"), -1);
}

TEST_F(MapFileTest, ThousandCommentLinesLeaveNoEntries) {
    std::string file;
    for (int i = 0; i < 1000; ++i) file += "; comment\n";
    file += "Setup 0\nModel RP-DEMO\n";
    EXPECT_FALSE(Read(file));
    EXPECT_EQ(FindMapRow(model.mapEntries, "Model"), -1);
    ASSERT_EQ(reporter.Errors().size(), 1u);
    EXPECT_EQ(reporter.Errors()[0], "Map file Lock Value is missing, reading file failed: " + path + kWarningAndAddress);
    EXPECT_EQ(model.mapEntries[0].comment, "; comment");
}

TEST_F(MapFileTest, LongLineIsCutAndItsRemainderReadAsTheNextLine) {
    std::string head = "Long_Name 1 2 3 ;";
    std::string cut = head + std::string(299 - head.size(), 'x');
    // 299 characters, then the remainder "Tail 4 5 6" as a line of its own.
    std::string file = cut + "Tail 4 5 6\n"
                       // exactly 299 characters: the line end follows as an empty line
                       + "Exact" + std::string(294, ' ') + "\n"
                       // 300 characters: the last one becomes a one-character comment line
                       + "Over 7 8 9 ;" + std::string(299 - 12, 'y') + "z\n"
                       + "After 1 1 1\n";
    Read(WithCorrectLock(file));
    const MapTable& rows = model.mapEntries;
    EXPECT_EQ(rows[1].name, "Long_Name");
    EXPECT_EQ(rows[1].comment.size(), 299u - head.size() + 1);
    EXPECT_EQ(rows[2].name, "Tail");
    EXPECT_DOUBLE_EQ(rows[2].location, 4.0);
    EXPECT_EQ(rows[3].name, "Exact");
    EXPECT_EQ(rows[4].name, "Over");
    EXPECT_EQ(rows[5].name, "After");
    EXPECT_EQ(rows[5].comment, "After 1 1 1");
}

TEST_F(MapFileTest, EverySetupRowIsLeftOutAndTheFirstHoldsTheStoredValue) {
    std::string body = "Model TM100\nBaud_Rate 2.0 4 1\n";
    std::string file = WithCorrectLock(body) + "Setup 55\n";
    ASSERT_TRUE(Read(file));
    EXPECT_NEAR(model.mapLockValue, 88.9, 1e-9);
}

TEST_F(MapFileTest, MissingFileClearsTheTableAndLoadReportsTwice) {
    model.mapEntries[3].name = "Old";
    model.mapEntries[3].text = "old text";
    std::string missing = dir.File("missing.map");
    EXPECT_FALSE(LoadMapFile(model, missing, false, reporter));
    EXPECT_EQ(model.mapFilePath, missing);
    EXPECT_TRUE(model.mapEntries[3].name.empty());
    EXPECT_TRUE(model.mapEntries[3].text.empty());
    std::vector<std::string> expected = {"Unable to Read Map file from Disk: " + missing,
                                         "Error reading map File: " + missing};
    EXPECT_EQ(reporter.Errors(), expected);
    for (const auto& entry : reporter.entries) {
        EXPECT_EQ(entry.eventCode, 0);
        EXPECT_EQ(entry.severity, 10);
    }
}

TEST_F(MapFileTest, ReloadReadsTheNamedMapAgainAndFailsAsLoadingIt) {
    EXPECT_TRUE(ReloadMapFile(model, reporter)) << "no map file named";
    EXPECT_TRUE(reporter.entries.empty());

    test::WriteFileBytes(path, "Model TM100\nSetup 88.9\nBaud_Rate 2.0 4 1\n");
    model.mapFilePath = path;
    EXPECT_TRUE(ReloadMapFile(model, reporter));
    EXPECT_EQ(FindMapRow(model.mapEntries, "Baud_Rate"), 2);
    EXPECT_TRUE(reporter.entries.empty()) << "no lock value printed";

    model.mapFilePath = dir.File("gone.map");
    EXPECT_FALSE(ReloadMapFile(model, reporter));
    EXPECT_EQ(model.mapFilePath, dir.File("gone.map"));
    EXPECT_EQ(reporter.Errors(), (std::vector<std::string>{"Unable to Read Map file from Disk: " + dir.File("gone.map"),
                                                           "Error reading map File: " + dir.File("gone.map")}));
}

TEST_F(MapFileTest, DirectoryIsRefusedLikeAMissingFile) {
    EXPECT_FALSE(ReadMapFile(model, model.mapEntries, dir.path(), false, reporter));
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Unable to Read Map file from Disk: " + dir.path()});
}

TEST_F(MapFileTest, WrongLockClearsTheRowsButKeepsTheirTexts) {
    EXPECT_FALSE(Read("Model TM100\nSetup 12.5\nBaud_Rate 2.0 4 1\n"));
    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{"Map file Lock Value is incorrect, reading file failed: " + path + kWarningAndAddress});
    EXPECT_EQ(FindMapRow(model.mapEntries, "Model"), -1);
    EXPECT_EQ(model.mapEntries[0].text, "TM100");
    EXPECT_EQ(model.mapEntries[2].location, -1.0);
    EXPECT_NEAR(model.mapLockValue, 88.9, 1e-9);
}

TEST_F(MapFileTest, LockOverrideKeepsAWrongFileAfterReportingIt) {
    model.lockOverride = true;
    test::WriteFileBytes(path, "Model TM100\nSetup 12.5\nBaud_Rate 2.0 4 1\n");
    EXPECT_TRUE(LoadMapFile(model, path, true, reporter));
    ASSERT_EQ(reporter.entries.size(), 2u);
    EXPECT_EQ(reporter.entries[0].text, "Map file value should be: 88.90");
    EXPECT_EQ(reporter.entries[1].kind, RecordingReporter::Kind::Error);
    EXPECT_EQ(FindMapRow(model.mapEntries, "Baud_Rate"), 2);
}

TEST_F(MapFileTest, ReadsIntoTheCandidateTableAndAlwaysSetsTheLockValue) {
    test::WriteFileBytes(path, "Model TM100\nSetup 88.9\nBaud_Rate 2.0 4 1\n");
    model.mapEntries[0].name = "Kept";
    ASSERT_TRUE(ReadMapFile(model, model.candidateMapEntries, path, false, reporter));
    EXPECT_EQ(model.mapEntries[0].name, "Kept");
    EXPECT_EQ(model.candidateMapEntries[0].name, "Model");
    EXPECT_NEAR(model.mapLockValue, 88.9, 1e-9);
}

TEST_F(MapFileTest, NulBytesEndALineAndGarbageIsReadWithoutHarm) {
    std::string nul = std::string("Model AB\0CD ; hidden\n", 21);
    ASSERT_FALSE(Read(nul));
    EXPECT_EQ(model.mapEntries[0].text, "AB");
    EXPECT_EQ(model.mapEntries[0].comment, "Model AB");

    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    EXPECT_FALSE(Read(garbage));
}

TEST_F(MapFileTest, HugeNumbersNeitherHangNorOverflow) {
    model.lockOverride = true;  // keep the rows to look at them
    EXPECT_TRUE(Read("Setup 1e308\nBig 1e400 99999999999 -99999999999\n", true));
    const MapEntry& big = model.mapEntries[1];
    EXPECT_TRUE(std::isinf(big.location));
    EXPECT_EQ(big.width, 2147483647);
    EXPECT_EQ(big.table, -2147483647 - 1);
    EXPECT_EQ(reporter.Messages(), std::vector<std::string>{"Map file value should be: inf"});

    // A finite sum far beyond the range where subtracting 100 still changes it.
    EXPECT_TRUE(Read("Setup 0\nBig 1e300 1 1\n"));
    EXPECT_TRUE(std::isfinite(model.mapLockValue));
    EXPECT_GE(model.mapLockValue, 0.0);
    EXPECT_LE(model.mapLockValue, 100.0);
}

TEST(LockValueTest, ReductionKeepsHundredAndMatchesRepeatedSubtraction) {
    EXPECT_EQ(ReduceLockSum(100.0), 100.0);
    EXPECT_NEAR(ReduceLockSum(100.5), 0.5, 1e-12);
    EXPECT_EQ(ReduceLockSum(200.0), 100.0);
    EXPECT_EQ(ReduceLockSum(-350.25), -350.25);
    EXPECT_TRUE(std::isinf(ReduceLockSum(HUGE_VAL)));
    // The one-step reduction must give the very bits the loop gives.
    uint64_t seed = 12345;
    for (int i = 0; i < 500; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        double sum = static_cast<double>(seed >> 40) / 7.0 + (seed & 0xFF) * 0.1;
        double looped = sum;
        while (looped > 100.0) looped -= 100.0;
        ASSERT_EQ(ReduceLockSum(sum), looped) << sum;
    }
}

TEST(LockValueTest, ToleranceIsOneAfterTruncationTowardsZero) {
    struct Case {
        double computed, stored, scale;
        bool matches;
    };
    const Case cases[] = {
        {57.9, 56, 1.0, true},  {57.9, 59, 1.0, true},   {57.9, 55, 1.0, false}, {57.9, 60, 1.0, false},
        {19.1, 18, 1.0, true},  {19.1, 21, 1.0, true},   {19.1, 17, 1.0, false}, {19.1, 22, 1.0, false},
        {88.9, 1e300, 100.0, false}, {NAN, 0, 100.0, false}, {HUGE_VAL, HUGE_VAL, 100.0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LockMatches(c.computed, c.stored, c.scale), c.matches) << c.computed << " vs " << c.stored;
}

}  // namespace
}  // namespace varnel
