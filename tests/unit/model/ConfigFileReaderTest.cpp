#include <climits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/ConfigFileReader.h"
#include "model/ConfigModel.h"
#include "model/ModelObserver.h"
#include "support/CountingModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"
#include "support/TestPaths.h"

namespace varnel {
namespace {

using test::RecordingReporter;
using test::ScratchDir;
using test::WriteFileBytes;

class ConfigFileReaderTest : public ::testing::Test {
protected:
    // Writes `bytes` as a file and reads it as File Open would.
    bool Read(const std::string& bytes, const std::string& name = "test.cfg") {
        path = dir.File(name);
        WriteFileBytes(path, bytes);
        return ReadConfigurationFile(model, path, reporter, observer);
    }
    const SettingRow& Row(int i) const { return model.settings[i]; }
    int UsedRows() const {
        int used = 0;
        for (const SettingRow& row : model.settings)
            if (!row.IsEmpty()) ++used;
        return used;
    }

    ScratchDir dir;
    std::string path;
    ConfigModel model;
    RecordingReporter reporter;
    test::CountingModelObserver observer;
};

std::string Settings(int count, const std::string& prefix = "S") {
    std::string text;
    for (int i = 0; i < count; ++i) text += prefix + std::to_string(i) + " " + std::to_string(i) + "\r\n";
    return text;
}

struct LineCase {
    const char* label;
    std::string file;
    std::string name;
    int32_t value;
    std::string text;
    std::string comment;
    std::string customComment;
};

constexpr const char* kHoldsNoSettings = " holds no settings: not a configuration file?";

// Named by its label: without this, GoogleTest prints the case's raw bytes, padding included,
// which memory checkers rightly flag as uninitialised reads.
void PrintTo(const LineCase& c, std::ostream* out) { *out << c.label; }

class SingleLineTest : public ConfigFileReaderTest, public ::testing::WithParamInterface<LineCase> {};

// The line under test follows a setting line, so that every file read is a configuration.
TEST_P(SingleLineTest, FillsTheRowAfterASetting) {
    const LineCase& c = GetParam();
    ASSERT_TRUE(Read("Pad 1\r\n" + c.file));
    EXPECT_EQ(Row(1).name, c.name);
    EXPECT_EQ(Row(1).value, c.value);
    EXPECT_EQ(Row(1).text, c.text);
    EXPECT_EQ(Row(1).comment, c.comment);
    EXPECT_EQ(Row(1).customComment, c.customComment);
    EXPECT_TRUE(reporter.Errors().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SingleLineTest,
    ::testing::Values(
        LineCase{"Number", "Timeout 5 ;x\r\n", "Timeout", 5, "", ";x", ""},
        LineCase{"TextWithTails", "Name \"abc\" ;x &y\r\n", "Name", -1, "abc", ";x &y", "&y"},
        LineCase{"OneQuote", "Name \"abc ;x\r\n", "Name", 0, "", ";x", ""},
        LineCase{"EqualsSign", "Name = 5\r\n", "Name", 0, "", "", ""},
        LineCase{"TabsAndNegative", "\tName\t-12\n", "Name", -12, "", "", ""},
        LineCase{"HugeSaturates", "Big 99999999999999999999\r\n", "Big", INT32_MAX, "", "", ""},
        LineCase{"HugeNegativeSaturates", "Neg -99999999999999999999\r\n", "Neg", INT32_MIN, "", "", ""},
        LineCase{"AmpersandInName", "A&B 3\r\n", "A&B", 3, "", "", "&B 3"},
        LineCase{"QuotesInName", "a\"b\" 5\r\n", "a\"b\"", -1, "b", "", ""},
        LineCase{"IndentedCustomComment", "  &custom // kept\r\n", "", -1, "", "", "  &custom // kept"},
        LineCase{"CommentWithSlashes", "; see http://x\r\n", "", -1, "", "; see http://x", ""},
        LineCase{"OneCharacter", "x\r\n", "", -1, "", "x", ""},
        LineCase{"BlanksOnly", "   \r\n", "", -1, "", "   ", ""},
        LineCase{"QuotedSlashesIgnored", "Url \"http://x\"\r\n", "", -1, "", "", ""},
        LineCase{"NoLineEnd", "Last 9", "Last", 9, "", "", ""},
        LineCase{"LoneCarriageReturnKept", "Cr 4 ;a\rb\r\n", "Cr", 4, "", ";a\rb", ""}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.label; });

TEST_F(ConfigFileReaderTest, IgnoredLinesTakeNoRowOtherLinesKeepTheirPlace) {
    ASSERT_TRUE(Read("/////////\r\n"
                     "&custom\r\n"
                     "\r\n"
                     "; note\r\n"
                     "//  Font              = Font B\r\n"
                     "Font 1\r\n"
                     "Cut 2\r\n"));
    EXPECT_EQ(Row(0).customComment, "&custom");
    EXPECT_TRUE(Row(1).IsEmpty());  // the empty line
    EXPECT_EQ(Row(2).comment, "; note");
    EXPECT_EQ(Row(3).name, "Font");
    EXPECT_EQ(Row(4).name, "Cut");
    EXPECT_EQ(Row(4).value, 2);
    EXPECT_EQ(UsedRows(), 4);
}

TEST_F(ConfigFileReaderTest, LinesOf299CharactersOrMoreAreSplit) {
    std::string exact = "Long 1 ;" + std::string(291, 'c');  // 299 characters
    std::string longer = "Wide 2 ;" + std::string(291, 'w') + " Tail 9";
    ASSERT_EQ(exact.size(), 299u);
    ASSERT_TRUE(Read(exact + "\r\n" + longer + "\r\nNext 3\r\n"));
    EXPECT_EQ(Row(0).comment, exact.substr(7));
    EXPECT_TRUE(Row(1).IsEmpty());  // the line end after 299 characters is a line of its own
    EXPECT_EQ(Row(2).comment.size(), 292u);
    EXPECT_EQ(Row(3).name, "Tail");
    EXPECT_EQ(Row(3).value, 9);
    EXPECT_EQ(Row(4).name, "Next");
}

TEST_F(ConfigFileReaderTest, IdentitySettingsFillTheModel) {
    model.firmwareRevision = "PB15-1.00";
    model.modified = true;
    model.mapFilePath = "demo.map";
    model.options[0].name = "Font";
    ASSERT_TRUE(Read("File_Comment          \"Shop 12\"\r\n"
                     "Model                 \"RP-DEMO\"\r\n"
                     "Firmware_ID           \"PB15_1*\"\r\n"));
    EXPECT_EQ(model.comment, "Shop 12");
    EXPECT_EQ(model.model, "RP-DEMO");
    EXPECT_EQ(observer.flashVisible, true);
    EXPECT_TRUE(model.firmwareRevision.empty());
    EXPECT_FALSE(model.modified);
    EXPECT_EQ(model.configFilePath, path);
    EXPECT_FALSE(model.configFileTime.empty());
    EXPECT_TRUE(model.mapFilePath.empty());
    EXPECT_TRUE(model.options[0].name.empty());
    EXPECT_EQ(observer.titles, 2);  // on unloading and after the read
    EXPECT_EQ(observer.invalidations, 2);
}

TEST_F(ConfigFileReaderTest, WithoutIdentityRowsModelAndCommentAreEmpty) {
    model.model = "OLD";
    model.comment = "old";
    observer.flashVisible = true;
    ASSERT_TRUE(Read("model \"RP-DEMO\"\r\nFont 1\r\n"));  // names are case-sensitive
    EXPECT_TRUE(model.model.empty());
    EXPECT_TRUE(model.comment.empty());
    EXPECT_EQ(observer.flashVisible, false);
}

// A file that cannot be read, or holds no configuration, leaves the configuration, its file name
// and the window as they were: a later Save writes to the configuration's own file.
TEST_F(ConfigFileReaderTest, AFileThatIsNoConfigurationChangesNothing) {
    struct Case {
        const char* label;
        std::optional<std::string> file;  // none: missing
        std::string firstError;
    } cases[] = {
        {"missing", std::nullopt, "Unable to Read Configuration from Disk: "},
        {"zero bytes", std::string("N\0m 7 ;\0\r\nFont 1\r\n", 18), ""},
        {"comments only", std::string("; only a comment\r\n&and a custom one\r\n"), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        model = ConfigModel{};
        model.settings[0].name = "Font";
        model.comment = "old";
        model.configFilePath = "own.cfg";
        model.configFileTime = "12-7-2026 09:05:03";
        model.mapFilePath = "demo.map";
        model.modified = true;
        reporter.entries.clear();
        observer = test::CountingModelObserver{};
        path = dir.File(std::string(c.label) + ".cfg");
        if (c.file) WriteFileBytes(path, *c.file);

        EXPECT_FALSE(ReadConfigurationFile(model, path, reporter, observer));

        const std::string first = c.firstError.empty() ? path + kHoldsNoSettings : c.firstError + path;
        EXPECT_EQ(reporter.Errors(), (std::vector<std::string>{first, "Error reading configuration File: " + path}));
        EXPECT_EQ(Row(0).name, "Font");
        EXPECT_EQ(UsedRows(), 1);
        EXPECT_EQ(model.comment, "old");
        EXPECT_EQ(model.configFilePath, "own.cfg");
        EXPECT_EQ(model.configFileTime, "12-7-2026 09:05:03");
        EXPECT_EQ(model.mapFilePath, "demo.map");
        EXPECT_TRUE(model.modified);
        EXPECT_EQ(observer.titles, 0);
        EXPECT_EQ(observer.invalidations, 0);
    }
}

TEST_F(ConfigFileReaderTest, MoreRowsThanTheTableHoldsAreReported) {
    EXPECT_FALSE(Read(Settings(250)));
    EXPECT_EQ(UsedRows(), kMaxSettings);
    EXPECT_EQ(Row(199).name, "S199");
    EXPECT_EQ(reporter.Errors(),
              (std::vector<std::string>{"Configuration file too long, the rest of it was not read: " + path,
                                        "Error reading configuration File: " + path}));
}

TEST_F(ConfigFileReaderTest, AFullTableFollowedOnlyByIgnoredOrEmptyLinesIsWhole) {
    EXPECT_TRUE(Read(Settings(200) + "//////\r\n\r\n// end\r\n"));
    EXPECT_EQ(UsedRows(), kMaxSettings);
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(ConfigFileReaderTest, LinesPastTheLineLimitAreReported) {
    std::string banners;
    for (int i = 0; i < kMaxConfigLines - 1; ++i) banners += "//\r\n";
    EXPECT_TRUE(Read(banners + "Font 1\r\n"));
    EXPECT_EQ(Row(0).name, "Font");

    EXPECT_FALSE(Read(banners + "//\r\nFont 1\r\n"));
    EXPECT_TRUE(Row(0).IsEmpty());
    EXPECT_EQ(reporter.Errors().front(), "Configuration file too long, the rest of it was not read: " + path);
}

// Files a user may open by mistake: each is read as any file is, and named when it cannot be a
// configuration.
struct WholeFileCase {
    const char* label;
    std::string file;
    bool namedAsNoConfiguration;
    bool fitsTheReader = true;  // within the line and row limits
};

void PrintTo(const WholeFileCase& c, std::ostream* out) { *out << c.label; }

std::string Example(const std::string& name) { return test::ReadFileBytes(test::ExamplesDir() + "/" + name); }

// The demo configuration up to (not including) the line that starts with `line`.
std::string DemoCutBefore(const std::string& line) {
    std::string demo = Example("rpdemo.cfg");
    return demo.substr(0, demo.find("\r\n" + line) + 2);
}

class WholeFileTest : public ConfigFileReaderTest, public ::testing::WithParamInterface<WholeFileCase> {};

TEST_P(WholeFileTest, IsNamedAndRefusedOnlyWhenItHoldsNoSettings) {
    const WholeFileCase& c = GetParam();
    model.configFilePath = "own.cfg";
    EXPECT_EQ(Read(c.file), c.fitsTheReader && !c.namedAsNoConfiguration);
    std::vector<std::string> errors;
    if (!c.fitsTheReader) errors.push_back("Configuration file too long, the rest of it was not read: " + path);
    if (c.namedAsNoConfiguration) errors.push_back(path + kHoldsNoSettings);
    if (!c.fitsTheReader || c.namedAsNoConfiguration) errors.push_back("Error reading configuration File: " + path);
    EXPECT_EQ(reporter.Errors(), errors);
    EXPECT_EQ(model.configFilePath, c.namedAsNoConfiguration ? "own.cfg" : path);
}

INSTANTIATE_TEST_SUITE_P(
    Files, WholeFileTest,
    ::testing::Values(
        // A boot file: a line of text, then binary bytes, some of whose lines look like settings.
        WholeFileCase{"BootFile", Example("RPD1_101.BOT"), true},
        WholeFileCase{"Picture", test::ReadFileBytes(test::SourceDir() + "/docs/screenshot-main.png"), true, false},
        WholeFileCase{"Empty", "", true},
        WholeFileCase{"CutInTheCustomComments", Example("rpdemo.cfg").substr(0, 420), true},
        WholeFileCase{"CutBeforeTheSettings", DemoCutBefore("File_Comment"), true},
        WholeFileCase{"CutAmongTheSettings", DemoCutBefore("Print_Speed"), false},
        WholeFileCase{"WholeDemo", Example("rpdemo.cfg"), false},
        WholeFileCase{"OneSettingAmongComments", "; note\r\n&custom\r\nFont 1\r\n", false}),
    [](const ::testing::TestParamInfo<WholeFileCase>& info) { return std::string(info.param.label); });

TEST_F(ConfigFileReaderTest, GarbageNeverOverrunsTheTable) {
    std::mt19937 random(1127);
    std::string garbage(200'000, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    Read(garbage);
    EXPECT_LE(UsedRows(), kMaxSettings);

    // One enormous line is read in pieces, up to the line limit.
    Read(std::string(1'000'000, 'A'));
    EXPECT_EQ(Row(0).name.size(), static_cast<size_t>(kMaxConfigLineLength));
    EXPECT_EQ(reporter.Errors().back(), "Error reading configuration File: " + path);
}

// A master configuration, then a file overlaid on it.
class OverlayTest : public ConfigFileReaderTest {
protected:
    void LoadMaster(const std::string& modelLine = "Model \"RP-DEMO\"\r\n") {
        ASSERT_TRUE(Read("File_Comment \"MASTER\"\r\n" + modelLine +
                             "; master note\r\n"
                             "Font 0 ;font comment\r\n"
                             "Cut 1 ;cut comment &keep\r\n"
                             "Speed 3\r\n",
                         "master.cfg"));
        ASSERT_EQ(model.comment, "MASTER");
        reporter.entries.clear();
    }
};

TEST_F(OverlayTest, MergesByNameAndLeavesOtherRowsAsTheyWere) {
    LoadMaster();
    ASSERT_TRUE(Read("; overlay note\r\n"
                     "File_Comment \"Shop 12\"\r\n"
                     "Model \"RP-DEMO\"\r\n"
                     "Cut 0\r\n"
                     "New 7 ;new one\r\n"
                     "&custom\r\n",
                     "shop.cfg"));
    EXPECT_EQ(reporter.Messages(), std::vector<std::string>{"Overlaying current config with File: " + path});
    EXPECT_TRUE(reporter.Errors().empty());
    EXPECT_EQ(Row(0).text, "Shop 12");
    EXPECT_EQ(Row(2).comment, "; master note");
    EXPECT_EQ(Row(3).name, "Font");
    EXPECT_EQ(Row(3).comment, ";font comment");
    EXPECT_EQ(Row(4).value, 0);
    EXPECT_EQ(Row(4).comment, ";cut comment &keep");  // the line had none of its own
    EXPECT_EQ(Row(4).customComment, "&keep");
    EXPECT_EQ(Row(5).value, 3);
    // Row 6 held the empty line at the end of the master; new lines fill empty rows in order.
    EXPECT_EQ(Row(6).comment, "; overlay note");
    EXPECT_EQ(Row(7).name, "New");
    EXPECT_EQ(Row(7).comment, ";new one");
    EXPECT_EQ(Row(8).customComment, "&custom");
    EXPECT_EQ(model.comment, "Shop 12");  // the next read is a normal one again
    EXPECT_EQ(model.model, "RP-DEMO");
}

TEST_F(OverlayTest, FileOfAnotherModelIsRefused) {
    LoadMaster();
    ASSERT_TRUE(Read("File_Comment \"Other\"\r\nModel \"RP-OTHER\"\r\nCut 0\r\n", "other.cfg"));
    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{"**** ERROR ****\r\n\r\n\r\nCannot Overlay current config with File: " + path +
                                       "\r\n\r\nMaster Printer ID: \"RP-DEMO\"  vs  Printer ID from file: \"RP-OTHER\""});
    EXPECT_EQ(UsedRows(), 0);
    EXPECT_TRUE(model.model.empty());
    EXPECT_EQ(model.comment, "Other");
    EXPECT_EQ(model.configFilePath, path);
}

TEST_F(OverlayTest, FileWithoutModelIsAccepted) {
    LoadMaster();
    ASSERT_TRUE(Read("Cut 0\r\n", "plain.cfg"));
    EXPECT_EQ(model.model, "RP-DEMO");  // the master's own Model row stays
    EXPECT_TRUE(model.comment.empty());

    LoadMaster("");
    ASSERT_TRUE(Read("Cut 0\r\n", "plain.cfg"));
    EXPECT_TRUE(reporter.Errors().empty());
    EXPECT_TRUE(model.model.empty());
    EXPECT_EQ(Row(3).value, 0);  // rows moved up by one without the Model line
}

TEST_F(OverlayTest, MissingFileKeepsTheMaster) {
    LoadMaster();
    path = dir.File("missing.cfg");
    EXPECT_FALSE(ReadConfigurationFile(model, path, reporter, observer));
    EXPECT_EQ(reporter.Messages(), std::vector<std::string>{"Overlaying current config with File: " + path});
    EXPECT_EQ(reporter.Errors().size(), 2u);
    EXPECT_EQ(Row(3).name, "Font");
    EXPECT_EQ(Row(0).text, "MASTER");  // the master stays whole
    EXPECT_EQ(model.comment, "MASTER");
}

TEST_F(OverlayTest, AFullMasterStillTakesEveryNamedSetting) {
    ASSERT_TRUE(Read("File_Comment \"MASTER\"\r\n" + Settings(199), "master.cfg"));
    ASSERT_EQ(UsedRows(), kMaxSettings);
    reporter.entries.clear();
    // The last row matching first must not end the read.
    EXPECT_TRUE(Read("S198 5\r\nS0 9\r\n", "named.cfg"));
    EXPECT_EQ(Row(199).value, 5);
    EXPECT_EQ(Row(1).value, 9);
    EXPECT_TRUE(reporter.Errors().empty());

    model.comment = std::string(kMasterComment);
    EXPECT_FALSE(Read("S1 8\r\nExtra 1\r\nS2 8\r\n", "extra.cfg"));
    EXPECT_EQ(Row(2).value, 8);
    EXPECT_EQ(Row(3).value, 2);  // not read after the line that found no room
    EXPECT_EQ(FindSetting(model.settings, "Extra"), -1);
    EXPECT_EQ(reporter.Errors().front(), "Configuration file too long, the rest of it was not read: " + path);
}

}  // namespace
}  // namespace varnel
