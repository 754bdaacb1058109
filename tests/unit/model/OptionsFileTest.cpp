#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/ExitRequest.h"
#include "model/ConfigModel.h"
#include "model/OptionsFile.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

using test::RecordingReporter;
using namespace std::string_literals;

const std::string kAddress = "\"https://www.pellam.example/printers\"";
const std::string kWorkedExample = "Setup Lock 19\r\nPaper_Cut Cutter 1 Full cut\r\n";

class OptionsFileTest : public ::testing::Test {
protected:
    bool Read(const std::string& bytes, bool printLock = false) {
        test::WriteFileBytes(path, bytes);
        return ReadOptionsFile(model, model.options, path, printLock, reporter);
    }

    // Lock value of the entries, as the reader computes it, with lockOverride keeping the rows.
    double LockOf(const std::string& bytes) {
        ConfigModel scratch;
        scratch.lockOverride = true;
        RecordingReporter ignored;
        test::WriteFileBytes(path, bytes);
        ReadOptionsFile(scratch, scratch.options, path, false, ignored);
        return ComputeOptionsLockValue(scratch.options);
    }

    test::ScratchDir dir;
    std::string path = dir.File("demo.opt");
    ConfigModel model;
    RecordingReporter reporter;
};

TEST_F(OptionsFileTest, WorkedExampleReportsNineteen) {
    ASSERT_TRUE(Read(kWorkedExample, true));
    EXPECT_EQ(reporter.Messages(), std::vector<std::string>{"Options file lock value should be: 19"});
    EXPECT_TRUE(reporter.Errors().empty());
    EXPECT_NEAR(ComputeOptionsLockValue(model.options), 19.1, 1e-9);
    const OptionEntry& cut = model.options[1];
    EXPECT_EQ(cut.name, "Paper_Cut");
    EXPECT_EQ(cut.group, "Cutter");
    EXPECT_EQ(cut.value, 1);
    EXPECT_EQ(cut.valueText, "1");
    EXPECT_EQ(cut.text, "Full cut");
    EXPECT_EQ(cut.low, -1);
    EXPECT_EQ(cut.high, -1);
    // Rows past the file are emptied with the value 0.
    EXPECT_TRUE(model.options[2].name.empty());
    EXPECT_EQ(model.options[2].value, 0);
}

TEST_F(OptionsFileTest, ModelNameStaysOutsideTheLock) {
    double withModel = LockOf(kWorkedExample + "Model Printer TM100\n");
    EXPECT_NEAR(withModel, 19.1 + 497 * 0.3 + 740 * 0.4 - 400.0, 1e-9);
    EXPECT_DOUBLE_EQ(LockOf(kWorkedExample + "Model Printer Another Model ; note\n"), withModel);
    // An entry without display text adds its value, name and group only.
    EXPECT_NEAR(LockOf(kWorkedExample + "Ab Cd 2\n"), 19.1 + 2 * 3.7 + (65 + 98) * 0.3 + (67 + 100) * 0.4 - 100.0, 1e-9);
}

TEST_F(OptionsFileTest, StoredLockWithinOneIsAccepted) {
    for (const char* stored : {"18", "19", "20", "21"}) {
        SCOPED_TRACE(stored);
        EXPECT_TRUE(Read(std::string("Setup Lock ") + stored + "\nPaper_Cut Cutter 1 Full cut\n"));
    }
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(OptionsFileTest, WrongLockClearsTheTableAndEndsTheProcessWithCodeZero) {
    for (const char* stored : {"17", "22"}) {
        SCOPED_TRACE(stored);
        reporter.entries.clear();
        model.options[500].name = "Old";
        try {
            Read(std::string("Setup Lock ") + stored + "\nPaper_Cut Cutter 1 Full cut\n");
            ADD_FAILURE() << "the process was not ended";
        } catch (const ExitRequest& exit) {
            EXPECT_EQ(exit.exitCode, 0);
        }
        EXPECT_EQ(reporter.Errors(),
                  std::vector<std::string>{"Options file Lock Value is incorrect, reading file failed: " + path +
                                           "\n\nWARNING: Do not modify an options file.\nObtain options files from "
                                           "your printer manufactrure. " + kAddress});
        EXPECT_EQ(FindOption(model.options, "Paper_Cut", -1), -1);
        EXPECT_EQ(model.options[1].valueText, "1");  // cleared rows keep their value token
        EXPECT_EQ(model.options[1].value, -1);
    }
}

TEST_F(OptionsFileTest, LockOverrideReportsAndKeepsAWrongFile) {
    model.lockOverride = true;
    EXPECT_TRUE(Read("Setup Lock 40-60\nPaper_Cut Cutter 1 Full cut\n", true));
    EXPECT_EQ(model.options[0].value, -1);  // a range: the stored lock value is -1
    ASSERT_EQ(reporter.entries.size(), 2u);
    EXPECT_EQ(reporter.entries[0].text, "Options file lock value should be: 19");
    EXPECT_EQ(reporter.entries[1].kind, RecordingReporter::Kind::Error);
    EXPECT_EQ(FindOption(model.options, "Paper_Cut", 1), 1);
}

TEST_F(OptionsFileTest, MissingLockAndMissingFile) {
    EXPECT_FALSE(Read("Paper_Cut Cutter 1 Full cut\nSetup Lock 19 CanBeWritten\n"));
    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{"Options file Lock Value is missing, reading file failed: " + path +
                                       "\n\nWARNING: Do not modify a Options file.\nObtain option files from your "
                                       "printer manufactrure. " + kAddress});
    EXPECT_EQ(model.options[0].name, "Paper_Cut");  // rows read stay

    reporter.entries.clear();
    std::string missing = dir.File("none.opt");
    EXPECT_FALSE(ReadOptionsFile(model, model.options, missing, false, reporter));
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Unable to Read Opts file from Disk: " + missing});
    EXPECT_TRUE(model.options[0].name.empty());
}

TEST_F(OptionsFileTest, EntryFields) {
    model.lockOverride = true;
    Read("; comment\n"
         "x\n"
         "Model Printer   RP DEMO \t; the model\n"
         "Baud_Rate Serial 9600 9600 baud ; fast\n"
         "Timeout General 10-20   %i sec  \n"
         "Offset General -5 %i dots\n"
         "Header Text S\n"
         "Header Text Y CanBeWritten\n"
         "Bare Group\n"
         "Odd Group 7x-3 seven\n"
         "Setup Lock 0\n");
    struct Expected {
        const char* name;
        const char* group;
        int value;
        const char* valueText;
        const char* text;
        int low, high;
    };
    const Expected rows[] = {
        {"Model", "Printer", 0, "RP DEMO", "", -1, -1},
        {"Baud_Rate", "Serial", 9600, "9600", "9600 baud ; fast", -1, -1},
        {"Timeout", "General", -1, "10-20", "%i sec", 10, 20},
        {"Offset", "General", -1, "-5", "%i dots", -5, 5},
        {"Header", "Text", 0, "S", "", -1, -1},
        {"Header", "Text", 0, "Y", "CanBeWritten", -1, -1},
        {"Bare", "Group", 0, "", "", -1, -1},
        {"Odd", "Group", -1, "7x-3", "seven", 7, 3},
        {"Setup", "Lock", 0, "0", "", -1, -1},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].name);
        const OptionEntry& row = model.options[i];
        EXPECT_EQ(row.name, rows[i].name);
        EXPECT_EQ(row.group, rows[i].group);
        EXPECT_EQ(row.value, rows[i].value);
        EXPECT_EQ(row.valueText, rows[i].valueText);
        EXPECT_EQ(row.text, rows[i].text);
        EXPECT_EQ(row.low, rows[i].low);
        EXPECT_EQ(row.high, rows[i].high);
    }
    EXPECT_TRUE(IsWritable(model.options, "Header"));
}

TEST_F(OptionsFileTest, LimitsOfLinesAndEntries) {
    model.lockOverride = true;
    std::string file = "Setup Lock 0\n";
    for (int i = 0; i < 1005; ++i) file += "S" + std::to_string(i) + " G " + std::to_string(i) + " t\n";
    EXPECT_TRUE(Read(file));
    EXPECT_EQ(model.options[999].name, "S998");  // 1000 lines read, each an entry

    std::string text(299 - 6, 'a');
    EXPECT_TRUE(Read("Setup L 0\nA G 1 " + text + "Next G 2 two\n"));
    EXPECT_EQ(model.options[1].text.size(), text.size());
    EXPECT_EQ(model.options[2].name, "Next");
}

TEST_F(OptionsFileTest, GarbageHugeNumbersAndNulBytes) {
    model.lockOverride = true;
    EXPECT_TRUE(Read("Setup Lock 0\nBig G 99999999999 huge\nNul G 1 te\0xt\n"s));
    EXPECT_EQ(model.options[1].value, 2147483647);
    EXPECT_EQ(model.options[2].text, "te");
    // Characters above 127 count negatively; the lock is then printed as a negative whole number.
    EXPECT_TRUE(Read("Setup Lock 0\nN G 0 \x80\x80\n", true));
    EXPECT_EQ(reporter.Messages().back(), "Options file lock value should be: -66");

    std::string garbage;
    for (int i = 0; i < 4000; ++i) garbage.push_back(static_cast<char>((i * 131) % 256));
    EXPECT_NO_THROW(Read(garbage));
}

class LocateOptionsFileTest : public ::testing::Test {
protected:
    // An options file for `modelName` with a correct lock value.
    void WriteOptions(const std::string& name, const std::string& modelName, const std::string& marker) {
        std::string body = "Model Printer " + modelName + "\nMarker G 1 " + marker + "\n";
        ConfigModel scratch;
        scratch.lockOverride = true;
        RecordingReporter ignored;
        std::string path = dir.File(name);
        test::WriteFileBytes(path, body + "Setup Lock 0\n");
        ReadOptionsFile(scratch, scratch.options, path, false, ignored);
        int lock = static_cast<int>(ComputeOptionsLockValue(scratch.options));
        test::WriteFileBytes(path, body + "Setup Lock " + std::to_string(lock) + "\n");
    }
    std::string Marker() const {
        int row = FindOption(model.options, "Marker", -1);
        return row < 0 ? "" : model.options[row].text;
    }

    test::ScratchDir dir;
    ConfigModel model;
    RecordingReporter reporter;
};

TEST_F(LocateOptionsFileTest, FindsTheModelAmongFilesOfAnyCase) {
    WriteOptions("b.opt", "RP-B", "b");
    WriteOptions("C.OPT", "RP-DEMO", "c");
    WriteOptions("a.Opt", "RP-A", "a");
    test::WriteFileBytes(dir.File("notes.txt"), "Model Printer RP-DEMO\n");
    ASSERT_TRUE(LocateOptionsFile(model, "RP-DEMO", reporter, dir.path()));
    EXPECT_EQ(Marker(), "c");
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(LocateOptionsFileTest, FirstFileInCaseInsensitiveOrderWins) {
    WriteOptions("b.opt", "RP-DEMO", "second");
    WriteOptions("A.opt", "RP-DEMO", "first");
    ASSERT_TRUE(LocateOptionsFile(model, "RP-DEMO", reporter, dir.path()));
    EXPECT_EQ(Marker(), "first");
}

TEST_F(LocateOptionsFileTest, MismatchAndCaseSensitiveModelNames) {
    EXPECT_FALSE(LocateOptionsFile(model, "RP-DEMO", reporter, dir.path()));
    WriteOptions("demo.opt", "RP-DEMO", "d");
    EXPECT_FALSE(LocateOptionsFile(model, "rp-demo", reporter, dir.path()));
    std::vector<std::string> expected(2, "Model name missmatch or missing in options file.");
    EXPECT_EQ(reporter.Errors(), expected);
    EXPECT_EQ(Marker(), "d");  // the last candidate read stays
}

TEST_F(LocateOptionsFileTest, UnreadableCandidateIsPassedAndOneWithoutModelEndsTheSearch) {
    test::WriteFileBytes(dir.File("a.opt"), "Marker G 1 no lock\n");  // lock missing
    WriteOptions("c.opt", "RP-DEMO", "c");
    ASSERT_TRUE(LocateOptionsFile(model, "RP-DEMO", reporter, dir.path()));
    EXPECT_EQ(reporter.Errors().size(), 1u);

    reporter.entries.clear();
    test::WriteFileBytes(dir.File("b.opt"), "Setup Lock 0\n");  // correct lock, no model
    EXPECT_FALSE(LocateOptionsFile(model, "RP-DEMO", reporter, dir.path()));
    ASSERT_EQ(reporter.Errors().size(), 2u);
    EXPECT_EQ(reporter.Errors()[1], "Could not find Model field in file: " + dir.File("b.opt"));
}

TEST_F(LocateOptionsFileTest, WorkingDirectoryFilesAreNamedBare) {
    WriteOptions("x.opt", "RP-X", "x");
    dir.Enter();
    test::WriteFileBytes("y.opt", "Setup Lock 0\n");
    EXPECT_FALSE(LocateOptionsFile(model, "RP-DEMO", reporter));
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Could not find Model field in file: y.opt"});
}

}  // namespace
}  // namespace varnel
