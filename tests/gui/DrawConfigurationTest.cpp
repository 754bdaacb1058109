#include "ui/DrawConfiguration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "model/ConfigFileReader.h"
#include "model/ConfigModel.h"
#include "support/DemoModel.h"
#include "support/NullModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"
#include "ui/ViewPainter.h"

namespace varnel {
namespace {

struct DrawnText {
    int x;
    int y;
    std::string text;
    ViewFont font;
    bool operator==(const DrawnText&) const = default;
};

void PrintTo(const DrawnText& t, std::ostream* os) {
    *os << "(" << t.x << "," << t.y << " \"" << t.text << "\" " << (t.font == ViewFont::Header ? "header" : "setting")
        << ")";
}

// Keeps what would be drawn where, and in which font.
class RecordingPainter : public ViewPainter {
public:
    void SelectFont(ViewFont font) override { font_ = font; }
    void DrawText(int x, int y, const std::string& text) override { texts.push_back({x, y, text, font_}); }
    void DrawLine(int x1, int y1, int x2, int y2) override { lines.push_back({x1, y1, x2, y2}); }
    void SetScrollArea(int width, int height) override { scrollArea = {width, height}; }

    std::optional<DrawnText> Find(const std::string& text) const {
        auto found = std::find_if(texts.begin(), texts.end(), [&](const DrawnText& t) { return t.text == text; });
        if (found == texts.end()) return std::nullopt;
        return *found;
    }

    std::vector<DrawnText> texts;
    std::vector<std::array<int, 4>> lines;
    std::optional<std::pair<int, int>> scrollArea;

private:
    ViewFont font_ = ViewFont::Setting;
};

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
    int Draw() { return DrawConfiguration(model_, reporter_, painter_); }

    ConfigModel model_;
    test::RecordingReporter reporter_;
    RecordingPainter painter_;
    int nextOption_ = 0;
    int nextSetting_ = 0;
};

TEST_F(ListingTest, WithoutAnyModelOnlyTheNoFileNoticeIsDrawn) {
    EXPECT_EQ(Draw(), 0);
    EXPECT_EQ(painter_.texts, (std::vector<DrawnText>{{50, 50, "---- No File Loaded ----", ViewFont::Setting}}));
    EXPECT_TRUE(painter_.lines.empty());
    EXPECT_FALSE(painter_.scrollArea);
}

TEST_F(ListingTest, AModelWithoutItsOptionsFileDrawsTheOptionsNotice) {
    test::ScratchDir dir = test::ExamplesWorkingFolder();  // holds only the RP-DEMO options file
    Setting("Model", 0, "RP-OTHER");
    EXPECT_EQ(Draw(), 0);
    EXPECT_EQ(model_.optionsModel, "RP-OTHER");
    ASSERT_EQ(painter_.texts.size(), 1u);
    EXPECT_EQ(painter_.texts[0].text, "Cannot locate Options (.OPT) file.");
    EXPECT_EQ(painter_.texts[0].x, 50);
    EXPECT_EQ(painter_.texts[0].y, 50);
}

TEST_F(ListingTest, TheMapsModelFindsTheOptionsFileBeforeTheConfigurationsModel) {
    test::ScratchDir dir = test::ExamplesWorkingFolder();
    model_.mapEntries[0].name = "Model";
    model_.mapEntries[0].text = "RP-DEMO";
    Setting("Model", 0, "RP-OTHER");
    Setting("Buzzer", 1);
    EXPECT_EQ(Draw(), 1);
    EXPECT_EQ(model_.optionsModel, "RP-DEMO");
    EXPECT_TRUE(painter_.Find("Buzzer"));
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

    EXPECT_EQ(Draw(), 1);
    const std::vector<DrawnText> expected = {
        {20, 0, "RP-DEMO ", ViewFont::Header},
        {20, 16, "till1.cfg   Monday, March 02, 10:11:12", ViewFont::Header},
        {20, 32, "Counter one", ViewFont::Header},
        {20, 48, "RPD1-1.01", ViewFont::Header},
        {10, 76, "Paper Handling:", ViewFont::Header},
        {20, 100, "Cut Mode", ViewFont::Setting},
        {190, 100, "= Partial Cut", ViewFont::Setting},
    };
    EXPECT_EQ(painter_.texts, expected);
    // Short listings still get the minimum height of 500 plus the margin.
    ASSERT_EQ(painter_.lines.size(), 1u);
    EXPECT_EQ(painter_.lines[0], (std::array<int, 4>{400, 0, 400, 550}));
    EXPECT_EQ(painter_.scrollArea, (std::pair<int, int>{900, 550}));
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

    Draw();
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
        auto name = painter_.Find(c.name);
        ASSERT_TRUE(name);
        auto value = std::find_if(painter_.texts.begin(), painter_.texts.end(),
                                  [&](const DrawnText& t) { return t.x == 190 && t.y == name->y; });
        ASSERT_NE(value, painter_.texts.end());
        EXPECT_EQ(value->text, c.value);
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

    Draw();
    EXPECT_EQ(std::count_if(painter_.texts.begin(), painter_.texts.end(),
                            [](const DrawnText& t) { return t.text == "Beeper"; }),
              1);
    EXPECT_FALSE(painter_.Find("Absent"));
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

    Draw();
    std::vector<std::string> titles;
    for (const DrawnText& t : painter_.texts)
        if (t.font == ViewFont::Header && t.text.ends_with(":")) titles.push_back(t.text);
    ASSERT_EQ(titles.size(), 20u);
    EXPECT_EQ(titles.front(), "Group 0:");
    EXPECT_EQ(titles.back(), "Group 19:");
    EXPECT_FALSE(painter_.Find("Printer:"));
    EXPECT_FALSE(painter_.Find("Comment:"));
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

    Draw();
    // First column: 64 header + 12 + 24 + 40 lines of 16 = 740; the next group starts at the top
    // of the second column.
    EXPECT_EQ(painter_.Find("Long 39")->y, 100 + 39 * 16);
    EXPECT_EQ(painter_.Find("Second:"), (DrawnText{420, 12, "Second:", ViewFont::Header}));
    EXPECT_EQ(painter_.Find("Short"), (DrawnText{430, 36, "Short", ViewFont::Setting}));
    EXPECT_EQ(painter_.lines[0], (std::array<int, 4>{400, 0, 400, 790}));
    EXPECT_EQ(painter_.scrollArea, (std::pair<int, int>{900, 790}));
}

TEST(DemoListingTest, TheDemoConfigurationFillsTwoColumns) {
    test::ScratchDir dir = test::ExamplesWorkingFolder();
    ConfigModel model;
    test::RecordingReporter reporter;
    test::NullModelObserver observer;
    ASSERT_TRUE(ReadConfigurationFile(model, "rpdemo.cfg", reporter, observer));
    RecordingPainter painter;

    EXPECT_EQ(DrawConfiguration(model, reporter, painter), 1);
    EXPECT_EQ(painter.texts[0], (DrawnText{20, 0, "RP-DEMO ", ViewFont::Header}));
    EXPECT_EQ(painter.texts[1].text, "rpdemo.cfg   " + model.configFileTime);
    EXPECT_EQ(painter.texts[2].text, "Demo store, counter 1");
    EXPECT_EQ(painter.Find("General Settings:"), (DrawnText{10, 76, "General Settings:", ViewFont::Header}));
    EXPECT_EQ(painter.Find("Print Mode"), (DrawnText{20, 100, "Print Mode", ViewFont::Setting}));
    EXPECT_EQ(painter.Find("= Standard"), (DrawnText{190, 100, "= Standard", ViewFont::Setting}));
    EXPECT_TRUE(painter.Find("= Level 2"));
    EXPECT_TRUE(painter.Find("= 300 sec"));
    EXPECT_TRUE(painter.Find("= WELCOME TO THE DEMO STORE"));
    const bool secondColumn = std::any_of(painter.texts.begin(), painter.texts.end(),
                                          [](const DrawnText& t) { return t.x >= 410; });
    EXPECT_TRUE(secondColumn);
    EXPECT_TRUE(reporter.entries.empty());
}

}  // namespace
}  // namespace varnel
