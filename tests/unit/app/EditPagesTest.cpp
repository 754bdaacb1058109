#include "app/EditPages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/ConfigFileReader.h"
#include "model/MapFile.h"
#include "model/OptionsFile.h"
#include "support/NullModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/TestPaths.h"

namespace varnel {
namespace {

using test::RecordingReporter;

void AddOption(ConfigModel& model, int& row, std::string name, std::string group, std::string valueText,
               std::string text, int32_t value = -1, int32_t low = -1, int32_t high = -1) {
    model.options[static_cast<size_t>(row++)] = OptionEntry{std::move(name), std::move(group), value,
                                                            std::move(valueText), std::move(text), low, high};
}

void AddSetting(ConfigModel& model, int& row, std::string name, int32_t value, std::string text = {}) {
    SettingRow& setting = model.settings[static_cast<size_t>(row++)];
    setting.name = std::move(name);
    setting.value = value;
    setting.text = std::move(text);
}

int32_t ValueOf(const SettingsTable& settings, std::string_view name) {
    return settings[static_cast<size_t>(FindSetting(settings, name))].value;
}

std::string TextOf(const SettingsTable& settings, std::string_view name) {
    return settings[static_cast<size_t>(FindSetting(settings, name))].text;
}

size_t RowOf(const EditPage& page, std::string_view name) {
    for (size_t i = 0; i < page.size(); ++i)
        if (page[i].name == name) return i;
    ADD_FAILURE() << "no row " << name;
    return page.size();
}

int GroupOf(const EditPages& pages, std::string_view shown) {
    for (size_t i = 0; i < pages.Groups().size(); ++i)
        if (pages.Groups()[i] == shown) return static_cast<int>(i);
    ADD_FAILURE() << "no group " << shown;
    return -1;
}

// Two groups: one of choices (a formatted range, a fixed choice, a bare-number range, a setting
// not writable), one of texts.
class EditPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        int option = 0;
        AddOption(model, option, "Model", "Printer", "RP-DEMO", "");
        AddOption(model, option, "Setup", "Lock", "19", "", 19);
        AddOption(model, option, "Delay", "General_Settings", "1-3", "%i sec", -1, 1, 3);
        AddOption(model, option, "Delay", "General_Settings", "9", "Never", 9);
        AddOption(model, option, "Delay", "General_Settings", "Y", "CanBeWritten");
        AddOption(model, option, "Count", "General_Settings", "1-5", "%i", -1, 1, 5);
        AddOption(model, option, "Count", "General_Settings", "Y", "CanBeWritten");
        AddOption(model, option, "Mode", "General_Settings", "0", "Off", 0);
        AddOption(model, option, "Mode", "General_Settings", "1", "On", 1);
        AddOption(model, option, "Mode", "General_Settings", "Y", "CanBeWritten");
        AddOption(model, option, "Class", "General_Settings", "1", "Receipt", 1);
        AddOption(model, option, "Class", "General_Settings", "2", "Kiosk", 2);
        AddOption(model, option, "Class", "General_Settings", "N", "CanBeWritten");
        AddOption(model, option, "Header", "Identity_Texts", "S", "");
        AddOption(model, option, "Header", "Identity_Texts", "Y", "CanBeWritten");
        AddOption(model, option, "Serial", "Identity_Texts", "s", "");
        AddOption(model, option, "Serial", "Identity_Texts", "N", "CanBeWritten");
        int setting = 0;
        AddSetting(model, setting, "Delay", 1);
        AddSetting(model, setting, "Count", 4);
        AddSetting(model, setting, "Mode", 0);
        AddSetting(model, setting, "Class", 2);
        AddSetting(model, setting, "Header", -1, "HELLO");
        AddSetting(model, setting, "Serial", -1, "A-1");
        model.mapEntries[0] = MapEntry{"Header", 0.0, 24, 14, "", ""};
        model.startDirectory = "/opt/varnel";
    }

    EditPages Opened() {
        EditPages pages(model, reporter, [this] { ++fills; });
        pages.Open();
        return pages;
    }

    ConfigModel model;
    RecordingReporter reporter;
    int fills = 0;
};

TEST_F(EditPagesTest, OpensOnGeneralSettingsWithItsChoicesAndCurrentValues) {
    EditPages pages = Opened();
    EXPECT_EQ(pages.Groups(), (std::vector<std::string>{"General Settings", "Identity Texts"}));
    EXPECT_EQ(pages.SelectedGroup(), 0);
    EXPECT_EQ(pages.CurrentGroup(), "General_Settings");
    EXPECT_EQ(fills, 1);
    const EditPage& page = pages.Page();
    ASSERT_EQ(page.size(), 4u);
    EXPECT_EQ(page[0].choices, (std::vector<std::string>{"1 sec", "2 sec", "3 sec", "Never"}));
    EXPECT_EQ(page[0].ValueText(), "1 sec");
    EXPECT_EQ(page[1].ValueText(), "4");
    EXPECT_EQ(page[2].choices, (std::vector<std::string>{"Off", "On"}));
    EXPECT_EQ(page[3].ValueText(), "Kiosk");
    EXPECT_TRUE(page[0].writable);
    EXPECT_FALSE(page[3].writable);
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(EditPagesTest, TextSettingsTakeTheirLimitFromTheMapEntryOfTheFollowingRow) {
    EditPages pages = Opened();
    pages.SelectGroup(1);
    EXPECT_EQ(fills, 2);
    const EditPage& page = pages.Page();
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0].kind, EditRow::Kind::Text);
    EXPECT_EQ(page[0].ValueText(), "HELLO");
    EXPECT_EQ(page[0].maxLength, 24);
    EXPECT_TRUE(page[0].writable);
    EXPECT_EQ(page[1].kind, EditRow::Kind::Text);  // "s" counts as "S"
    EXPECT_EQ(page[1].maxLength, 0);               // no map entry: unlimited
    EXPECT_FALSE(page[1].writable);
}

// What choosing an entry and storing the page leaves in the copy.
struct ChoiceCase {
    const char* setting;
    int entry;
    int32_t stored;
    std::vector<std::string> errors;
};

TEST_F(EditPagesTest, ChoosingAnEntryStoresItsValue) {
    const ChoiceCase cases[] = {
        {"Delay", 1, 2, {}},  // "2 sec" of the range 1-3
        {"Delay", 3, 9, {}},  // "Never", a fixed choice after the range
        {"Mode", 1, 1, {}},
        {"Count", 3, 4, {}},  // left on its value: nothing to store, nothing reported
        // A bare number cannot be told from a choice: reported, and the value stays.
        {"Count", 1, 4, {"Internal error, Configuration option not found: Count 2"}},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(std::string(c.setting) + " entry " + std::to_string(c.entry));
        reporter.entries.clear();
        EditPages pages = Opened();
        pages.Choose(RowOf(pages.Page(), c.setting), c.entry);
        pages.StorePage();
        EXPECT_EQ(ValueOf(pages.EditSettings(), c.setting), c.stored);
        EXPECT_EQ(reporter.Errors(), c.errors);
        for (const auto& entry : reporter.entries) {
            EXPECT_EQ(entry.eventCode, 0);
            EXPECT_EQ(entry.severity, 10);
        }
    }
}

TEST_F(EditPagesTest, EditsOfEveryPageAreKeptAcrossGroupChangesAndNeverReachTheModel) {
    EditPages pages = Opened();
    pages.Choose(RowOf(pages.Page(), "Mode"), 1);
    pages.SelectGroup(1);
    pages.SetText(RowOf(pages.Page(), "Header"), "WELCOME");
    pages.SelectGroup(0);
    EXPECT_EQ(pages.Page()[RowOf(pages.Page(), "Mode")].ValueText(), "On");
    pages.SelectGroup(1);
    EXPECT_EQ(pages.Page()[RowOf(pages.Page(), "Header")].ValueText(), "WELCOME");
    pages.StorePage();
    EXPECT_EQ(ValueOf(pages.EditSettings(), "Mode"), 1);
    EXPECT_EQ(TextOf(pages.EditSettings(), "Header"), "WELCOME");
    // Cancel is the command not copying back: the model still holds the old values.
    EXPECT_EQ(ValueOf(model.settings, "Mode"), 0);
    EXPECT_EQ(TextOf(model.settings, "Header"), "HELLO");
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(EditPagesTest, InputForRowsOrEntriesNotThereIsIgnored) {
    EditPages pages = Opened();
    pages.Choose(0, 4);
    pages.Choose(0, -1);
    pages.Choose(9, 0);
    pages.SetText(0, "a choice row holds no text");
    pages.SelectGroup(7);
    EXPECT_EQ(pages.SelectedGroup(), 0);
    EXPECT_EQ(pages.Page()[0].ValueText(), "1 sec");
}

// Values no option lists (a blank printer's zeros) are shown as such, reported once together,
// and kept unless another entry is chosen.
TEST_F(EditPagesTest, ValuesWithoutAnOptionAreShownAsSuchReportedOnceAndKept) {
    model.settings[0].value = 7;  // Delay
    model.settings[2].value = 5;  // Mode
    EditPages pages = Opened();
    const EditRow& delay = pages.Page()[RowOf(pages.Page(), "Delay")];
    EXPECT_EQ(delay.choices, (std::vector<std::string>{"1 sec", "2 sec", "3 sec", "Never",
                                                       "(printer value 7: not in the options)"}));
    EXPECT_EQ(delay.ValueText(), "(printer value 7: not in the options)");
    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{"Internal error editing configruation. Value not found, or out of range, for "
                                       "Delay, Mode. The printer's value is shown as it is and kept unless another "
                                       "is chosen."});

    // Back on the page after another: kept, and not reported again.
    pages.SelectGroup(1);
    pages.SelectGroup(0);
    EXPECT_EQ(reporter.Errors().size(), 1u);
    pages.StorePage();
    EXPECT_EQ(ValueOf(pages.EditSettings(), "Delay"), 7);
    EXPECT_EQ(ValueOf(pages.EditSettings(), "Mode"), 5);

    // Another entry chosen is stored.
    pages.Choose(RowOf(pages.Page(), "Mode"), 1);
    pages.StorePage();
    EXPECT_EQ(ValueOf(pages.EditSettings(), "Mode"), 1);
    EXPECT_EQ(ValueOf(pages.EditSettings(), "Delay"), 7);
    EXPECT_EQ(reporter.Errors().size(), 1u);
}

TEST_F(EditPagesTest, ARangeWiderThanAnyFieldIsCutButKeepsTheCurrentValue) {
    model.options[2].high = 2147483647;
    model.settings[0].value = 100000;
    EditPages pages = Opened();
    const EditRow& delay = pages.Page()[0];
    ASSERT_EQ(delay.choices.size(), 65536u + 1 + 1);  // the cut range, the current value, "Never"
    EXPECT_EQ(delay.choices[65535], "65536 sec");
    EXPECT_EQ(delay.ValueText(), "100000 sec");
    pages.StorePage();
    EXPECT_EQ(ValueOf(pages.EditSettings(), "Delay"), 100000);
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(EditPagesTest, ARowNamingASettingNoLongerInTheCopyIsReportedAndSkipped) {
    EditPage page = FillEditPage(model.options, model.mapEntries, model.settings, "General_Settings", reporter);
    page[0].name = "Gone";
    StoreEditPage(page, model.options, model.settings, reporter);
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Internal error, Configuration item not found: Gone"});
}

TEST_F(EditPagesTest, AllPagesListsEveryGroupsRowsWithoutReporting) {
    model.settings[0].value = 7;
    EditPages pages = Opened();
    reporter.entries.clear();
    std::vector<EditPage> all = pages.AllPages();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].size(), 4u);
    EXPECT_EQ(all[1].size(), 2u);
    EXPECT_EQ(all[0][0].choices.size(), 4u);
    EXPECT_TRUE(reporter.entries.empty());
    EXPECT_EQ(fills, 1);
}

TEST_F(EditPagesTest, TheHelpPageLiesInTheStartDirectory) {
    EditPages pages = Opened();
    EXPECT_EQ(pages.HelpPagePath(), "/opt/varnel/Varnel.html");
}

TEST(EditPageGroups, AGroupOfMoreThanEighteenSettingsShowsAndStoresThemAll) {
    ConfigModel model;
    int option = 0;
    int setting = 0;
    for (int i = 0; i < 25; ++i) {
        std::string name = "Setting_" + std::to_string(100 + i);
        AddOption(model, option, name, "Print_Setup", "0", "Off", 0);
        AddOption(model, option, name, "Print_Setup", "1", "On", 1);
        AddOption(model, option, name, "Print_Setup", "Y", "CanBeWritten");
        AddSetting(model, setting, name, 0);
    }
    RecordingReporter reporter;
    EditPages pages(model, reporter, {});
    pages.Open();
    EXPECT_EQ(pages.Groups(), std::vector<std::string>{"Print Setup"});
    ASSERT_EQ(pages.Page().size(), 25u);
    EXPECT_EQ(pages.Page()[24].Label(), "Setting 124");
    pages.Choose(24, 1);
    pages.StorePage();
    EXPECT_EQ(ValueOf(pages.EditSettings(), "Setting_124"), 1);
    EXPECT_EQ(ValueOf(pages.EditSettings(), "Setting_123"), 0);
}

TEST(EditPageGroups, GroupsCompareWithoutCaseAndGeneralSettingsComesFirstWhenPresent) {
    ConfigModel model;
    int option = 0;
    AddOption(model, option, "Model", "Printer", "X", "");
    AddOption(model, option, "A", "zeta", "0", "Off", 0);
    AddOption(model, option, "B", "Alpha_Group", "0", "Off", 0);
    AddOption(model, option, "C", "ALPHA_group", "0", "Off", 0);
    std::vector<std::string> groups = ListEditGroups(model.options);
    EXPECT_EQ(groups, (std::vector<std::string>{"Alpha Group", "zeta"}));
    EXPECT_EQ(InitialGroupIndex(groups), 0);
    EXPECT_EQ(InitialGroupIndex({"Alpha", "general settings x", "Zulu"}), 1);
    EXPECT_EQ(StoredGroupName("Print Setup"), "Print_Setup");
}

TEST(EditPageGroups, AnOptionsFileWithoutGroupsOpensOnAnEmptyPage) {
    ConfigModel model;
    int option = 0;
    AddOption(model, option, "Model", "Printer", "RP-DEMO", "");
    model.settings[0].comment = "; a comment line";
    RecordingReporter reporter;
    EditPages pages(model, reporter, {});
    pages.Open();
    EXPECT_TRUE(pages.Groups().empty());
    EXPECT_EQ(pages.SelectedGroup(), -1);
    EXPECT_TRUE(pages.Page().empty());
    pages.StorePage();
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST(EditPageModel, TheModelComesFromTheMapElseFromTheSettings) {
    ConfigModel model;
    EXPECT_EQ(EditModelName(model), "");
    model.settings[3].name = "Model";
    model.settings[3].text = "FROM-CFG";
    EXPECT_EQ(EditModelName(model), "FROM-CFG");
    model.mapEntries[0].name = "Model";
    EXPECT_EQ(EditModelName(model), "FROM-CFG");  // an empty map text does not count
    model.mapEntries[0].text = "FROM-MAP";
    EXPECT_EQ(EditModelName(model), "FROM-MAP");
}

TEST(EditPageModel, CopyBackKeepsTheCustomComments) {
    SettingsTable settings;
    settings[0] = SettingRow{"Buzzer", 0, "", "; old", "& custom"};
    SettingsTable edited = settings;
    edited[0].value = 1;
    edited[0].comment = "; new";
    edited[0].customComment = "& dropped";
    CopyBackEditSettings(edited, settings);
    EXPECT_EQ(settings[0].value, 1);
    EXPECT_EQ(settings[0].comment, "; new");
    EXPECT_EQ(settings[0].customComment, "& custom");
}

// The demo printer's files, as a user loads them.
TEST(EditPageDemo, PrintSetupShowsAllTwentySixSettingsInTheOptionsFilesOrder) {
    ConfigModel model;
    RecordingReporter reporter;
    test::NullModelObserver observer;
    ASSERT_TRUE(ReadConfigurationFile(model, test::ExamplesDir() + "/rpdemo.cfg", reporter, observer));
    ASSERT_TRUE(LocateOptionsFile(model, "RP-DEMO", reporter, test::ExamplesDir()));
    ASSERT_TRUE(ReadMapFile(model, model.mapEntries, test::ExamplesDir() + "/rpdemo_101.map", false, reporter));
    // The read-only settings a file does not keep, as a read from the printer adds them.
    auto empty = std::find_if(model.settings.begin(), model.settings.end(), [](const SettingRow& row) { return row.IsEmpty(); });
    int setting = static_cast<int>(empty - model.settings.begin());
    ASSERT_LT(setting + 1, static_cast<int>(model.settings.size()));
    AddSetting(model, setting, "Density_Compensate", 0);
    AddSetting(model, setting, "Head_Dot_Count", 0);
    reporter.entries.clear();

    EditPages pages(model, reporter, {});
    pages.Open();
    EXPECT_EQ(pages.Groups(), (std::vector<std::string>{"Barcode Settings", "General Settings", "Identity",
                                                        "Paper Handling", "Print Setup", "Serial Interface"}));
    EXPECT_EQ(pages.Groups()[static_cast<size_t>(pages.SelectedGroup())], "General Settings");
    pages.SelectGroup(GroupOf(pages, "Print Setup"));
    const EditPage& page = pages.Page();
    ASSERT_EQ(page.size(), 26u);
    EXPECT_EQ(page[0].name, "Print_Density");
    EXPECT_EQ(page[23].name, "Print_Quality");
    EXPECT_EQ(page[25].name, "Head_Dot_Count");
    EXPECT_EQ(page[25].ValueText(), "576 dots");
    EXPECT_FALSE(page[25].writable);
    pages.Choose(23, 0);  // "Draft"
    pages.StorePage();
    EXPECT_EQ(ValueOf(pages.EditSettings(), "Print_Quality"), 0);
    EXPECT_TRUE(reporter.Errors().empty());
}

}  // namespace
}  // namespace varnel
