#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <QTimer>
#include <filesystem>
#include <memory>

#include "ShownDialog.h"
#include "app/CVarnelApp.h"
#include "model/ConfigFileReader.h"
#include "model/MapFile.h"
#include "model/ModelObserver.h"
#include "model/OptionsFile.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingReporter.h"
#include "support/RecordingUserInterface.h"
#include "support/TestPaths.h"
#include "ui/CEditSettingsDlg.h"

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

// The demo printer's configuration with its options and map, as a user would load it.
class DemoModel : public ::testing::Test {
protected:
    void SetUp() override {
        NullModelObserver observer;
        ASSERT_TRUE(ReadConfigurationFile(model, test::ExamplesDir() + "/rpdemo.cfg", reporter, observer));
        ASSERT_TRUE(LocateOptionsFile(model, "RP-DEMO", reporter, test::ExamplesDir()));
        ASSERT_TRUE(ReadMapFile(model, model.mapEntries, test::ExamplesDir() + "/rpdemo_101.map", false, reporter));
        reporter.entries.clear();
    }
    int RowOf(const CEditSettingsDlg& dialog, const QString& label) {
        for (int i = 0; i < kEditRows; ++i)
            if (dialog.RowLabel(i)->text() == label) return i;
        return -1;
    }
    int32_t Value(const SettingsTable& settings, std::string_view name) {
        return settings[static_cast<size_t>(FindSetting(settings, name))].value;
    }

    ConfigModel model;
    RecordingReporter reporter;
};

TEST_F(DemoModel, OpensOnGeneralSettingsWithTheGroupsSortedAndBlanksForUnderscores) {
    int fills = 0;
    CEditSettingsDlg dialog(model, reporter, [&] { ++fills; });
    EXPECT_EQ(dialog.windowTitle(), "Configuration Edit");
    QStringList groups;
    for (int i = 0; i < dialog.GroupList()->count(); ++i) groups << dialog.GroupList()->item(i)->text();
    EXPECT_EQ(groups, (QStringList{"Barcode Settings", "General Settings", "Identity", "Paper Handling",
                                   "Print Setup", "Serial Interface"}));
    EXPECT_EQ(dialog.GroupList()->currentItem()->text(), "General Settings");
    EXPECT_EQ(dialog.CurrentGroup(), "General_Settings");
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(dialog.RowLabel(0)->text(), "Print Mode");
    EXPECT_EQ(dialog.RowList(0)->currentText(), "Standard");
    EXPECT_EQ(dialog.RowList(3)->currentText(), "Level 2");  // Buzzer_Volume 2 from the range 1-3
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(DemoModel, SettingsNotWritableAreShownDisabled) {
    ASSERT_TRUE(model.settings.back().IsEmpty());
    model.settings.back() = SettingRow{"Printer_Class", 1, "", "", ""};
    CEditSettingsDlg dialog(model, reporter, {});
    int printerClass = RowOf(dialog, "Printer Class");
    ASSERT_GE(printerClass, 0);
    EXPECT_FALSE(dialog.RowList(printerClass)->isEnabled());
    EXPECT_TRUE(dialog.RowList(0)->isEnabled());

    EXPECT_EQ(dialog.RowList(printerClass)->currentText(), "Receipt 58 mm");

    dialog.GroupList()->setCurrentItem(dialog.GroupList()->findItems("Identity", Qt::MatchExactly).at(0));
    int firmware = RowOf(dialog, "Firmware ID");
    int header = RowOf(dialog, "Header Text");
    ASSERT_GE(firmware, 0);
    ASSERT_GE(header, 0);
    EXPECT_TRUE(dialog.RowEdit(firmware)->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.RowList(firmware)->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.RowEdit(firmware)->isEnabled());
    EXPECT_TRUE(dialog.RowEdit(header)->isEnabled());
    EXPECT_EQ(dialog.RowEdit(header)->text(), "WELCOME TO THE DEMO STORE");
    EXPECT_EQ(dialog.RowEdit(header)->maxLength(), 40);  // the map's width of Header_Text
}

TEST_F(DemoModel, EditsOfEveryPageAreKeptAcrossGroupSwitchesUntilTheDialogCloses) {
    CEditSettingsDlg dialog(model, reporter, {});
    auto selectGroup = [&](const char* name) {
        dialog.GroupList()->setCurrentItem(dialog.GroupList()->findItems(name, Qt::MatchExactly).at(0));
    };
    dialog.RowList(0)->setCurrentText("Page Mode");
    selectGroup("Identity");
    int header = RowOf(dialog, "Header Text");
    dialog.RowEdit(header)->setText("HELLO");
    selectGroup("General Settings");
    EXPECT_EQ(dialog.RowList(0)->currentText(), "Page Mode");
    selectGroup("Identity");
    EXPECT_EQ(dialog.RowEdit(header)->text(), "HELLO");

    dialog.accept();
    const SettingsTable& edited = dialog.EditSettings();
    EXPECT_EQ(Value(edited, "Print_Mode"), 1);
    EXPECT_EQ(edited[static_cast<size_t>(FindSetting(edited, "Header_Text"))].text, "HELLO");
    // The dialog never touches the model itself: a Cancel leaves it as it was.
    EXPECT_EQ(Value(model.settings, "Print_Mode"), 0);
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(DemoModel, HiddenRowsBelowTheLastSetting) {
    CEditSettingsDlg dialog(model, reporter, {});
    dialog.GroupList()->setCurrentItem(dialog.GroupList()->findItems("Identity", Qt::MatchExactly).at(0));
    int used = 0;
    for (int i = 0; i < kEditRows; ++i) used += dialog.RowLabel(i)->isVisibleTo(&dialog) ? 1 : 0;
    EXPECT_EQ(used, 4);
    EXPECT_FALSE(dialog.RowHelp(4)->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.RowList(4)->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.RowEdit(4)->isVisibleTo(&dialog));
}

TEST(EditPageTest, AGroupOfTwentyFiveSettingsShowsItsFirstEighteen) {
    ConfigModel model;
    int option = 0;
    int setting = 0;
    for (int i = 0; i < 25; ++i) {
        std::string name = "Setting_" + std::to_string(100 + i);
        AddOption(model, option, name, "Print_Setup", "0", "Off", 0);
        AddOption(model, option, name, "Print_Setup", "Y", "CanBeWritten");
        AddSetting(model, setting, name, 0);
    }
    RecordingReporter reporter;
    EditPage page = FillEditPage(model.options, model.mapEntries, model.settings, "Print_Setup", reporter);
    for (int i = 0; i < kEditRows; ++i) {
        EXPECT_EQ(page[static_cast<size_t>(i)].kind, EditRow::Kind::Choice);
        EXPECT_EQ(page[static_cast<size_t>(i)].Label(), "Setting " + std::to_string(100 + i));
    }
    EXPECT_EQ(ListEditGroups(model.options), std::vector<std::string>{"Print Setup"});
}

// A range row with its format, a fixed choice, and a range giving bare numbers.
class RangePage : public ::testing::Test {
protected:
    void SetUp() override {
        int option = 0;
        AddOption(model, option, "Model", "Printer", "RP-DEMO", "");
        AddOption(model, option, "Delay", "General_Settings", "1-3", "%i sec", -1, 1, 3);
        AddOption(model, option, "Delay", "General_Settings", "9", "Never", 9);
        AddOption(model, option, "Delay", "General_Settings", "Y", "CanBeWritten");
        AddOption(model, option, "Count", "General_Settings", "1-5", "%i", -1, 1, 5);
        AddOption(model, option, "Count", "General_Settings", "Y", "CanBeWritten");
        int setting = 0;
        AddSetting(model, setting, "Delay", 1);
        AddSetting(model, setting, "Count", 4);
    }
    EditPage Fill() { return FillEditPage(model.options, model.mapEntries, model.settings, "General_Settings", reporter); }
    int32_t Value(std::string_view name) { return model.settings[static_cast<size_t>(FindSetting(model.settings, name))].value; }

    ConfigModel model;
    RecordingReporter reporter;
};

TEST_F(RangePage, ARangeOffersOneEntryPerNumberAndStoresTheNumberOfTheChosenEntry) {
    EditPage page = Fill();
    EXPECT_EQ(page[0].choices, (std::vector<std::string>{"1 sec", "2 sec", "3 sec", "Never"}));
    EXPECT_EQ(page[0].ValueText(), "1 sec");
    page[0].selected = 1;
    StoreEditPage(page, model.options, model.settings, reporter);
    EXPECT_EQ(Value("Delay"), 2);
    page[0].selected = 3;
    StoreEditPage(page, model.options, model.settings, reporter);
    EXPECT_EQ(Value("Delay"), 9);
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(RangePage, AnEntryOfDigitsOnlyCannotBeStoredAndKeepsTheValue) {
    EditPage page = Fill();
    ASSERT_EQ(page[1].choices, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(page[1].ValueText(), "4");
    // Left as it was filled, it is quietly kept.
    StoreEditPage(page, model.options, model.settings, reporter);
    EXPECT_TRUE(reporter.Errors().empty());

    page[1].selected = 1;
    StoreEditPage(page, model.options, model.settings, reporter);
    EXPECT_EQ(Value("Count"), 4);
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Internal error, Configuration option not found: Count 2"});
    EXPECT_EQ(reporter.entries[0].eventCode, 0);
    EXPECT_EQ(reporter.entries[0].severity, 10);
}

TEST_F(RangePage, ARangeWiderThanAnyFieldIsCutButKeepsTheCurrentValue) {
    model.options[1].high = 2147483647;
    model.settings[0].value = 100000;
    EditPage page = Fill();
    ASSERT_EQ(page[0].choices.size(), 65536u + 1 + 1);  // the cut range, the current value, "Never"
    EXPECT_EQ(page[0].choices[65535], "65536 sec");
    EXPECT_EQ(page[0].ValueText(), "100000 sec");
    StoreEditPage(page, model.options, model.settings, reporter);
    EXPECT_EQ(Value("Delay"), 100000);
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(RangePage, AValueWithoutAnOptionIsReportedAndTheFirstEntrySelected) {
    model.settings[0].value = 7;
    EditPage page = Fill();
    EXPECT_EQ(page[0].selected, 0);
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{
                                     "Internal error editing configruation. Value not found, or out of range, for "
                                     "Delay, using first in list."});
    StoreEditPage(page, model.options, model.settings, reporter);
    EXPECT_EQ(Value("Delay"), 1);
}

TEST_F(RangePage, ARowNamingASettingNoLongerInTheCopyIsReportedAndSkipped) {
    EditPage page = Fill();
    page[0].name = "Gone";
    StoreEditPage(page, model.options, model.settings, reporter);
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Internal error, Configuration item not found: Gone"});
}

TEST(EditSettingsTest, AnOptionsFileWithoutGroupsShowsAnEmptyPage) {
    ConfigModel model;
    int option = 0;
    AddOption(model, option, "Model", "Printer", "RP-DEMO", "");
    model.settings[0].comment = "; a comment line";
    RecordingReporter reporter;
    EXPECT_TRUE(ListEditGroups(model.options).empty());
    EditPage page = FillEditPage(model.options, model.mapEntries, model.settings, "", reporter);
    for (const EditRow& row : page) EXPECT_EQ(row.kind, EditRow::Kind::Unused);
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST(EditSettingsTest, TheModelComesFromTheMapElseFromTheSettings) {
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

TEST(EditSettingsTest, CopyBackKeepsTheCustomComments) {
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

TEST(EditSettingsTest, GroupsCompareWithoutCaseAndGeneralSettingsComesFirstWhenPresent) {
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

}  // namespace
}  // namespace varnel

namespace varnel {
namespace {

// The Edit Configuration command in a working folder holding the demo model's files, as a user
// starts the program there.
class EditConfigurationCommand : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        for (const char* name : {"rpdemo.cfg", "rpdemo.opt", "rpdemo_100.map", "rpdemo_101.map"})
            std::filesystem::copy_file(test::ExamplesDir() + "/" + name, dir_.File(name));
        std::filesystem::current_path(dir_.path());
        app_.model().startDirectory = dir_.path();
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    bool Run(const std::function<void(CEditSettingsDlg&)>& act) {
        QTimer::singleShot(0, [&] {
            auto* dialog = test::ShownDialog<CEditSettingsDlg>();
            ASSERT_NE(dialog, nullptr);
            act(*dialog);
        });
        return RunEditConfiguration(app_, nullptr);
    }
    void LoadDemo() {
        NullModelObserver observer;
        ASSERT_TRUE(ReadConfigurationFile(app_.model(), "rpdemo.cfg", reporter_, observer));
        app_.model().modified = false;
    }
    int32_t Value(std::string_view name) {
        const SettingsTable& settings = app_.model().settings;
        return settings[static_cast<size_t>(FindSetting(settings, name))].value;
    }

    test::TempDir dir_;
    std::filesystem::path previous_;
    test::MemorySettingsStore store_;
    test::FakeClock clock_;
    test::RecordingUserInterface ui_;
    RecordingReporter reporter_;
    CVarnelApp app_{store_, clock_, ui_, nullptr, std::make_unique<test::FakePortBackend>()};
};

TEST_F(EditConfigurationCommand, WithoutAModelOrItsOptionsFileTheDialogIsNotShown) {
    EXPECT_FALSE(RunEditConfiguration(app_, nullptr));
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0], "Configuration Error: Unable to edit configuration. Must load a configuration file, or "
                            "read configuration from printer first.");

    app_.model().settings[0] = SettingRow{"Model", -1, "NO-SUCH-MODEL", "", ""};
    ui_.boxes.clear();
    EXPECT_FALSE(RunEditConfiguration(app_, nullptr));
    ASSERT_FALSE(ui_.boxes.empty());
    EXPECT_EQ(ui_.boxes.back(), "Configuration Error: Unable to locate correct Options file.");
}

TEST_F(EditConfigurationCommand, OkCopiesTheEditsBackAndMarksTheConfigurationModified) {
    LoadDemo();
    EXPECT_TRUE(Run([](CEditSettingsDlg& dialog) {
        EXPECT_EQ(dialog.GroupList()->currentItem()->text(), "General Settings");
        dialog.RowList(0)->setCurrentText("Label Mode");
        dialog.accept();
    }));
    EXPECT_EQ(Value("Print_Mode"), 2);
    EXPECT_TRUE(app_.model().modified);
    // The map was matched to the model when the page was filled.
    EXPECT_FALSE(app_.model().mapFilePath.empty());
    EXPECT_TRUE(ui_.boxes.empty()) << ui_.boxes.front();
}

TEST_F(EditConfigurationCommand, CancelDropsTheEditsOfEveryPage) {
    LoadDemo();
    EXPECT_FALSE(Run([](CEditSettingsDlg& dialog) {
        dialog.RowList(0)->setCurrentText("Label Mode");
        dialog.GroupList()->setCurrentItem(dialog.GroupList()->findItems("Print Setup", Qt::MatchExactly).at(0));
        dialog.RowList(0)->setCurrentIndex(0);
        dialog.reject();
    }));
    EXPECT_EQ(Value("Print_Mode"), 0);
    EXPECT_FALSE(app_.model().modified);
}

}  // namespace
}  // namespace varnel
