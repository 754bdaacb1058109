#include "app/ViewSnapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/ConfigFileReader.h"
#include "model/ConfigModel.h"
#include "support/DemoModel.h"
#include "support/NullModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"

namespace varnel {

void PrintTo(const ViewText& t, std::ostream* os) {
    *os << "(" << t.x << "," << t.y << " w" << t.width << " \"" << t.text << "\" "
        << (t.font == ViewFont::Header ? "header" : "setting") << ")";
}

namespace {

constexpr ViewFont H = ViewFont::Header;
constexpr ViewFont S = ViewFont::Setting;

// Options and settings written straight into the model, so a case shows exactly one rule.
class ListingTest : public ::testing::Test {
protected:
    void Option(const std::string& name, const std::string& group, int32_t value, const std::string& text,
                const std::string& valueText = "", int32_t low = -1, int32_t high = -1) {
        OptionEntry& row = model_.options[nextOption_++];
        row.name = name;
        row.group = group;
        row.value = value;
        row.text = text;
        row.valueText = valueText.empty() ? std::to_string(value) : valueText;
        row.low = low;
        row.high = high;
    }
    void Setting(const std::string& name, int32_t value, const std::string& text = "") {
        SettingRow& row = model_.settings[nextSetting_++];
        row.name = name;
        row.value = value;
        row.text = text;
    }
    const ViewSnapshot& Prepare() {
        snapshot_ = LayOutListing(model_, LookUpListingOptions(model_, reporter_));
        return snapshot_;
    }
    // The value text drawn on the line of the setting named `name`.
    std::string ValueOf(const std::string& name) const {
        const ViewText* label = snapshot_.Find(name);
        if (!label) return "(no line)";
        for (const ViewText& t : snapshot_.texts)
            if (t.y == label->y && t.x == label->x + 170) return t.text;
        return "(no value)";
    }

    ConfigModel model_;
    test::RecordingReporter reporter_;
    ViewSnapshot snapshot_;
    int nextOption_ = 0;
    int nextSetting_ = 0;
};

TEST_F(ListingTest, WithoutAnyModelOnlyTheNoFileNoticeIsShown) {
    Prepare();
    EXPECT_EQ(snapshot_.texts, (std::vector<ViewText>{{50, 50, 850, S, "---- No File Loaded ----"}}));
    EXPECT_TRUE(snapshot_.lines.empty());
    EXPECT_FALSE(snapshot_.scrollArea);
    EXPECT_FALSE(snapshot_.listing);
    EXPECT_TRUE(reporter_.entries.empty());
}

TEST_F(ListingTest, AModelWithoutItsOptionsFileShowsTheOptionsNoticeAfterTheLookupReported) {
    test::ScratchDir dir = test::ExamplesWorkingFolder();  // holds only the RP-DEMO options file
    Setting("Model", 0, "RP-OTHER");
    Prepare();
    EXPECT_EQ(model_.optionsModel, "RP-OTHER");
    EXPECT_EQ(snapshot_.texts, (std::vector<ViewText>{{50, 50, 850, S, "Cannot locate Options (.OPT) file."}}));
    EXPECT_FALSE(snapshot_.scrollArea);
    EXPECT_EQ(reporter_.Errors(), std::vector<std::string>{"Model name missmatch or missing in options file."});
}

TEST_F(ListingTest, TheMapsModelFindsTheOptionsFileBeforeTheConfigurationsModel) {
    test::ScratchDir dir = test::ExamplesWorkingFolder();
    model_.mapEntries[0].name = "Model";
    model_.mapEntries[0].text = "RP-DEMO";
    Setting("Model", 0, "RP-OTHER");
    Setting("Buzzer", 1);
    Prepare();
    EXPECT_TRUE(snapshot_.listing);
    EXPECT_EQ(model_.optionsModel, "RP-DEMO");
    EXPECT_TRUE(snapshot_.Find("Buzzer"));
}

TEST_F(ListingTest, HeaderGroupTitleAndSettingLinesSitWhereTheLayoutSays) {
    model_.model = "RP-DEMO";
    model_.configFilePath = "/home/shop/configs/till1.cfg";
    model_.configFileTime = "Monday, March 02, 10:11:12";
    model_.comment = "Counter one";
    model_.firmwareRevision = "RPD1-1.01";
    Option("Model", "Printer", 0, "RP-DEMO", "RP-DEMO");
    Option("Setup", "Lock", 0, "70", "70");
    Option("Cut_Mode", "Paper_Handling", 0, "Full Cut");
    Option("Cut_Mode", "Paper_Handling", 1, "Partial Cut");
    Setting("Cut_Mode", 1);

    Prepare();
    // Every text ends before the separator at 400 with room to spare; a setting's name ends
    // before its value.
    const std::vector<ViewText> expected = {
        {20, 0, 374, H, "RP-DEMO "},
        {20, 16, 374, H, "till1.cfg   Monday, March 02, 10:11:12"},
        {20, 32, 374, H, "Counter one"},
        {20, 48, 374, H, "RPD1-1.01"},
        {10, 76, 384, H, "Paper Handling:"},
        {20, 100, 164, S, "Cut Mode"},
        {190, 100, 204, S, "= Partial Cut"},
    };
    EXPECT_EQ(snapshot_.texts, expected);
    // Short listings still get the minimum height of 500 plus the margin.
    EXPECT_EQ(snapshot_.lines, (std::vector<ViewLine>{{400, 0, 400, 550}}));
    EXPECT_EQ(snapshot_.scrollArea, (ViewScrollArea{900, 550}));
    EXPECT_TRUE(snapshot_.listing);
}

TEST_F(ListingTest, ValueTextsFollowTheOptionKind) {
    Option("Model", "Printer", 0, "RP-DEMO", "RP-DEMO");
    Option("Setup", "Lock", 0, "70", "70");
    Option("Beeper", "General", 0, "Off");
    Option("Beeper", "General", 1, "On");
    Option("Sleep", "General", 0, "%i sec", "5-600", 5, 600);
    Option("Header", "General", 0, "Header text", "S");
    Option("Trailer", "General", 0, "Trailer text", "S");
    Option("Logo", "General", 0, "None");
    Setting("Beeper", 7);
    Setting("Sleep", 300);
    Setting("Header", 0, "");
    Setting("Trailer", 0, "THANK YOU");
    Setting("Logo", 0, "custom.bmp");

    Prepare();
    struct Case {
        const char* name;
        const char* value;
    } cases[] = {
        {"Beeper", "= *** Invalid Setting *** (7)"},
        {"Sleep", "= 300 sec"},
        {"Header", "= "},  // a text setting shows its text, even an empty one
        {"Trailer", "= THANK YOU"},
        {"Logo", "= custom.bmp"},  // a setting's own text wins over the option's
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ValueOf(c.name), c.value);
    }
}

TEST_F(ListingTest, SettingsWithoutARowAndRepeatedNamesAreListedOnce) {
    Option("Model", "Printer", 0, "RP-DEMO", "RP-DEMO");
    Option("Setup", "Lock", 0, "70", "70");
    Option("Beeper", "General", 0, "Off");
    Option("Absent", "General", 0, "Off");
    Option("Beeper", "General", 1, "On");
    Option("Beeper", "General", -1, "CanBeWritten", "Y");
    Setting("Beeper", 1);

    Prepare();
    EXPECT_EQ(std::count_if(snapshot_.texts.begin(), snapshot_.texts.end(),
                            [](const ViewText& t) { return t.text == "Beeper"; }),
              1);
    EXPECT_FALSE(snapshot_.Find("Absent"));
}

TEST_F(ListingTest, GroupsComeInOrderOfFirstAppearanceAndStopAtTwenty) {
    Option("Model", "Printer", 0, "RP-DEMO", "RP-DEMO");
    Option("Setup", "Lock", 0, "70", "70");
    Option("File_Comment", "Comment", 0, "Comment", "S");
    for (int group = 0; group < 30; ++group) {
        const std::string name = "S" + std::to_string(group);
        Option(name, "Group_" + std::to_string(group), 0, "Zero");
        Setting(name, 0);
    }
    // A later entry of an earlier group does not move it.
    Option("Late", "Group_0", 0, "Zero");

    Prepare();
    std::vector<std::string> titles;
    for (const ViewText& t : snapshot_.texts)
        if (t.font == H && t.text.ends_with(":")) titles.push_back(t.text);
    ASSERT_EQ(titles.size(), 20u);
    EXPECT_EQ(titles.front(), "Group 0:");
    EXPECT_EQ(titles.back(), "Group 19:");
    EXPECT_FALSE(snapshot_.Find("Printer:"));
    EXPECT_FALSE(snapshot_.Find("Comment:"));
}

TEST_F(ListingTest, AGroupThatWouldStartBelow580MovesToTheSecondColumn) {
    Option("Model", "Printer", 0, "RP-DEMO", "RP-DEMO");
    Option("Setup", "Lock", 0, "70", "70");
    for (int i = 0; i < 40; ++i) {
        const std::string name = "Long_" + std::to_string(i);
        Option(name, "First", 0, "Zero");
        Setting(name, 0);
    }
    Option("Short", "Second", 0, "Zero");
    Setting("Short", 0);

    Prepare();
    // First column: 64 header + 12 + 24 + 40 lines of 16 = 740; the next group starts at the top
    // of the second column, whose texts end before the listing's width of 900.
    EXPECT_EQ(snapshot_.Find("Long 39")->y, 100 + 39 * 16);
    EXPECT_EQ(*snapshot_.Find("Second:"), (ViewText{420, 12, 474, H, "Second:"}));
    EXPECT_EQ(*snapshot_.Find("Short"), (ViewText{430, 36, 164, S, "Short"}));
    EXPECT_EQ(*snapshot_.Find("= Zero"), (ViewText{190, 100, 204, S, "= Zero"}));
    EXPECT_EQ(snapshot_.texts.back(), (ViewText{600, 36, 294, S, "= Zero"}));
    EXPECT_EQ(snapshot_.lines, (std::vector<ViewLine>{{400, 0, 400, 790}}));
    EXPECT_EQ(snapshot_.scrollArea, (ViewScrollArea{900, 790}));
}

TEST(DemoListingTest, TheDemoConfigurationFillsTwoColumns) {
    test::ScratchDir dir = test::ExamplesWorkingFolder();
    ConfigModel model;
    test::RecordingReporter reporter;
    test::NullModelObserver observer;
    ASSERT_TRUE(ReadConfigurationFile(model, "rpdemo.cfg", reporter, observer));

    const ViewSnapshot snapshot = LayOutListing(model, LookUpListingOptions(model, reporter));
    ASSERT_TRUE(snapshot.listing);
    EXPECT_EQ(snapshot.texts[0], (ViewText{20, 0, 374, H, "RP-DEMO "}));
    EXPECT_EQ(snapshot.texts[1].text, "rpdemo.cfg   " + model.configFileTime);
    EXPECT_EQ(snapshot.texts[2].text, "Demo store, counter 1");
    EXPECT_EQ(*snapshot.Find("General Settings:"), (ViewText{10, 76, 384, H, "General Settings:"}));
    EXPECT_EQ(*snapshot.Find("Print Mode"), (ViewText{20, 100, 164, S, "Print Mode"}));
    EXPECT_EQ(*snapshot.Find("= Standard"), (ViewText{190, 100, 204, S, "= Standard"}));
    EXPECT_TRUE(snapshot.Find("= Level 2"));
    EXPECT_TRUE(snapshot.Find("= 300 sec"));
    EXPECT_TRUE(snapshot.Find("= WELCOME TO THE DEMO STORE"));
    const bool secondColumn =
        std::any_of(snapshot.texts.begin(), snapshot.texts.end(), [](const ViewText& t) { return t.x >= 410; });
    EXPECT_TRUE(secondColumn);
    EXPECT_TRUE(reporter.entries.empty());
}

}  // namespace
}  // namespace varnel
