#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/ConfigFileReader.h"
#include "model/ConfigFileWriter.h"
#include "model/ConfigModel.h"
#include "support/NullModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::RecordingReporter;
using test::ScratchDir;
using test::WriteFileBytes;

const std::string kHead =
    "/////////////////////////////////////////////////////////////////\r\n"
    "// This section is for custom comments only.                   //\r\n"
    "//                                                             //\r\n"
    "// NOTE: Comment lines MUST start with the \"&\" character       //\r\n"
    "//                                                             //\r\n"
    "/////////////////////////////////////////////////////////////////\r\n";
const std::string kHumanBanner =
    "/////////////////////////////////////////////////////////////////\r\n"
    "// This section is Human Readable Information only.            //\r\n"
    "// Any edit to this section will have no effect and will       //\r\n"
    "// be overwritten.                                             //\r\n"
    "/////////////////////////////////////////////////////////////////\r\n"
    "\r\n";
const std::string kMachineBanner =
    "\r\n\r\n\r\n"
    "/////////////////////////////////////////////////////////////////\r\n"
    "// This is the machine Readable Information section.           //\r\n"
    "/////////////////////////////////////////////////////////////////\r\n"
    "\r\n";

SettingRow Setting(const std::string& name, int32_t value, const std::string& comment = "") {
    SettingRow row;
    row.name = name;
    row.value = value;
    row.comment = comment;
    return row;
}

SettingRow TextSetting(const std::string& name, const std::string& text) {
    SettingRow row = Setting(name, -1);
    row.text = text;
    return row;
}

SettingRow CommentRow(const std::string& comment) { return Setting("", -1, comment); }

class ConfigFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.File("out.cfg");
        AddOption("Font", 0, "Font A");
        AddOption("Font", 1, "Font B");
        AddRange("Timeout", 1, 60, "%i sec");
        AddOption("Cut", 0, "Full");
        for (const char* name : {"Font", "Timeout", "Cut", "Logo"}) AddAttribute(name, "Y");
        AddAttribute("Hidden", "N");
    }
    void AddOption(const std::string& name, int value, const std::string& text) {
        OptionEntry& row = model.options[nextOption++];
        row.name = name;
        row.value = value;
        row.valueText = std::to_string(value);
        row.text = text;
    }
    void AddRange(const std::string& name, int low, int high, const std::string& format) {
        OptionEntry& row = model.options[nextOption++];
        row.name = name;
        row.low = low;
        row.high = high;
        row.text = format;
    }
    void AddAttribute(const std::string& name, const std::string& yesNo) {
        OptionEntry& row = model.options[nextOption++];
        row.name = name;
        row.valueText = yesNo;
        row.text = std::string(kCanBeWritten);
    }
    void SetRows(const std::vector<SettingRow>& rows) {
        for (size_t i = 0; i < rows.size(); ++i) model.settings[i] = rows[i];
    }
    void FillSampleTable() {
        SettingRow custom;
        custom.customComment = "&Shop 12 setup";
        SetRows({custom, TextSetting("File_Comment", "old"), TextSetting("Model", "RP-DEMO"),
                 CommentRow("; paper settings"), Setting("Font", 1, ";bold"), Setting("Timeout", 30),
                 Setting("Hidden", 3), TextSetting("Logo", "ACME"), Setting("Cut", 5)});
        model.comment = "Shop 12";
    }
    bool Write() { return WriteConfigurationFile(model, path, reporter); }
    std::string Written() const { return ReadFileBytes(path); }
    std::vector<std::string> FilesInDir() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename());
        return names;
    }

    ScratchDir dir;
    std::string path;
    ConfigModel model;
    RecordingReporter reporter;
    int nextOption = 0;
};

TEST_F(ConfigFileWriterTest, WritesTheThreeSectionsByteForByte) {
    FillSampleTable();
    ASSERT_TRUE(Write());
    EXPECT_EQ(Written(),
              kHead +
                  "&Shop 12 setup\r\n" +
                  kHumanBanner +
                  "//  File_Comment       = \"Shop 12\"         \r\n"  // the comment the file holds
                  "//  Model              = \"RP-DEMO\"         \r\n"
                  "//  Font               = Font B               ;bold\r\n"
                  "//  Timeout            = 30 sec               \r\n"
                  "//  Logo               = \"ACME\"         \r\n"
                  "//    Internal error parsing configruation. Value not found, or out of range, for Cut //\r\n"
                  "//  Cut                               \r\n" +
                  kMachineBanner +
                  "File_Comment          \"Shop 12\"       \r\n"
                  "Model                 \"RP-DEMO\"       \r\n"
                  "; paper settings\r\n"
                  "Font                  1               ;bold\r\n"
                  "Timeout               30               \r\n"
                  "Logo                  \"ACME\"       \r\n"
                  "Cut                   5               \r\n");
    EXPECT_TRUE(reporter.Errors().empty());
    EXPECT_EQ(model.settings[1].text, "Shop 12");
}

TEST_F(ConfigFileWriterTest, WithoutOptionsOnlyIdentityAndCommentRowsAreWritten) {
    FillSampleTable();
    ClearOptionsTable(model.options);
    ASSERT_TRUE(Write());
    std::string file = Written();
    EXPECT_NE(file.find("\r\nModel                 \"RP-DEMO\"       \r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\n; paper settings\r\n"), std::string::npos);
    EXPECT_EQ(file.find("Font"), std::string::npos);
    EXPECT_EQ(file.find("Logo"), std::string::npos);
}

struct NameCase {
    size_t length;
    std::string humanStart;  // up to the value of the human-readable line
    std::string machineGap;  // blanks between the name and the value
};

// Named by its length: without this, GoogleTest prints the case's raw bytes, the strings' unused
// inner buffers included, which memory checkers rightly flag as uninitialised reads.
void PrintTo(const NameCase& c, std::ostream* out) { *out << "name length " << c.length; }

class NameLengthTest : public ConfigFileWriterTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(NameLengthTest, ValueColumnAndReadBack) {
    const NameCase& c = GetParam();
    std::string name(c.length, 'N');
    AddAttribute(name, "y");
    SetRows({TextSetting(name, "v")});
    ASSERT_TRUE(Write());
    std::string file = Written();
    EXPECT_NE(file.find("\r\n" + c.humanStart + " = \"v\""), std::string::npos);
    EXPECT_NE(file.find("\r\n" + name + c.machineGap + "\"v\"       \r\n"), std::string::npos);

    test::RecordingReporter readReporter;
    test::NullModelObserver observer;
    ASSERT_TRUE(ReadConfigurationFile(model, path, readReporter, observer));
    int row = FindSetting(model.settings, name);
    ASSERT_NE(row, -1);
    EXPECT_EQ(model.settings[row].text, "v");
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameLengthTest,
    ::testing::Values(NameCase{18, "//  " + std::string(18, 'N'), "    "},
                      NameCase{19, "//  " + std::string(18, 'N'), "   "},  // shown cut to 18
                      NameCase{21, "//  " + std::string(18, 'N'), " "},
                      NameCase{22, "//  " + std::string(18, 'N'), " "},  // wider column, one blank
                      NameCase{40, "//  " + std::string(18, 'N'), " "}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return "Length" + std::to_string(info.param.length); });

TEST_F(ConfigFileWriterTest, CommentGoesToTheFirstRowWithoutAName) {
    SetRows({CommentRow(";hello"), Setting("Font", 0)});
    model.comment = "C";
    ASSERT_TRUE(Write());
    std::string file = Written();
    EXPECT_NE(file.find(kMachineBanner + "File_Comment          \"C\"       ;hello\r\nFont  "), std::string::npos);
    EXPECT_NE(file.find("//  File_Comment       = \"C\"         ;hello\r\n"), std::string::npos);
    EXPECT_EQ(model.settings[0].name, "File_Comment");
    EXPECT_EQ(model.settings[0].comment, ";hello");
}

TEST_F(ConfigFileWriterTest, CommentIsDroppedWhenEveryRowHasAName) {
    for (int i = 0; i < kMaxSettings; ++i) model.settings[i] = Setting("Hidden", i);
    model.comment = "C";
    ASSERT_TRUE(Write());
    EXPECT_EQ(Written(), kHead + kHumanBanner + kMachineBanner);
}

TEST_F(ConfigFileWriterTest, LineTheReaderWouldSplitIsLeftOutAndReported) {
    FillSampleTable();
    model.settings[7].text = std::string(300, 'x');           // Logo
    model.settings[4].comment = ";" + std::string(255, 'c');  // Font: 22 + 1 + 15 + 256 = 294 fits
    EXPECT_FALSE(Write());
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Configuration line too long, not written: Logo"});
    std::string file = Written();
    EXPECT_EQ(file.find("\r\nLogo "), std::string::npos);
    EXPECT_NE(file.find("\r\nCut                   5               \r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\nFont                  1               ;cc"), std::string::npos);
    // The listing is only cut, to 298 characters.
    std::string listed = "\r\n//  Font               = Font B               ;";
    size_t at = file.find(listed);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(file.find("\r\n", at + 2), at + 2 + 298);
}

TEST_F(ConfigFileWriterTest, SettingLineTheReaderWouldIgnoreIsLeftOutAndReported) {
    SetRows({CommentRow("; see http://example.com"), CommentRow(";plain"), TextSetting("Logo", "http://acme")});
    model.comment = "C";
    EXPECT_FALSE(Write());
    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{"Configuration line would be ignored on reading, not written: Logo"});
    // The comment passes over the comment row whose "//" would hide the File_Comment line.
    EXPECT_EQ(model.settings[0].name, "");
    EXPECT_EQ(model.settings[1].name, "File_Comment");
    EXPECT_NE(Written().find(kMachineBanner + "; see http://example.com\r\nFile_Comment          \"C\"       ;plain\r\n"),
              std::string::npos);
}

TEST_F(ConfigFileWriterTest, UnwritableFolderIsReportedAndNothingChanges) {
    FillSampleTable();
    path = dir.File("missing/out.cfg");
    EXPECT_FALSE(Write());
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Unable to Write Configuration to Disk: " + path});
    EXPECT_EQ(model.settings[1].text, "old");  // the comment step never ran

    // A folder in place of the file: the temporary file is written, the rename fails.
    path = dir.File("folder.cfg");
    fs::create_directory(path);
    EXPECT_FALSE(Write());
    EXPECT_EQ(reporter.Errors().back(), "Unable to Write Configuration to Disk: " + path);
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"folder.cfg"});
}

TEST_F(ConfigFileWriterTest, WriteReadWriteIsByteIdentical) {
    FillSampleTable();
    model.settings[10] = CommentRow("   ");
    model.settings[11] = TextSetting("Firmware_ID", "PB15_1*");
    model.settings[1].text = model.comment;
    model.configFilePath = path;
    ASSERT_TRUE(Write());
    std::string first = Written();

    // Reading unloads the options file; it is loaded again as the program would.
    const OptionsTable options = model.options;
    test::NullModelObserver observer;
    ASSERT_TRUE(ReadConfigurationFile(model, path, reporter, observer));
    EXPECT_EQ(model.comment, "Shop 12");
    model.options = options;
    const std::string second = dir.File("second.cfg");
    ASSERT_TRUE(WriteConfigurationFile(model, second, reporter));
    EXPECT_EQ(ReadFileBytes(second), first);
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(ConfigFileWriterTest, FileWithManySettingsReadsBackWhole) {
    constexpr int kSettings = 150;
    for (int i = 0; i < kSettings; ++i) {
        std::string name = "Setting_" + std::to_string(i);
        AddAttribute(name, "Y");
        AddOption(name, i, "choice");
        model.settings[i] = Setting(name, i);
    }
    ASSERT_TRUE(Write());
    ClearSettings(model.settings);
    test::NullModelObserver observer;
    ASSERT_TRUE(ReadConfigurationFile(model, path, reporter, observer));
    for (int i = 0; i < kSettings; ++i) {
        int row = FindSetting(model.settings, "Setting_" + std::to_string(i));
        ASSERT_NE(row, -1) << i;
        EXPECT_EQ(model.settings[row].value, i);
    }
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST(FileTimeStampTest, LastWriteTimeInUtc) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 7;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_sec = 3;
    std::time_t utc = ::timegm(&when);
    EXPECT_EQ(FormatFileTimeStamp(utc), "12-7-2026 09:05:03");

    ScratchDir dir;
    ConfigModel model;
    model.configFilePath = dir.File("a.cfg");
    model.configFileTime = "stale";
    EXPECT_FALSE(UpdateFileTimeStamp(model));  // no such file
    EXPECT_TRUE(model.configFileTime.empty());

    WriteFileBytes(model.configFilePath, "x");
    timespec times[2] = {{utc, 0}, {utc, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, model.configFilePath.c_str(), times, 0), 0);
    EXPECT_TRUE(UpdateFileTimeStamp(model));
    EXPECT_EQ(model.configFileTime, "12-7-2026 09:05:03");

    model.configFilePath.clear();
    EXPECT_FALSE(UpdateFileTimeStamp(model));
    EXPECT_TRUE(model.configFileTime.empty());
}

}  // namespace
}  // namespace varnel
