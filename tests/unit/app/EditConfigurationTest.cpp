#include "app/EditConfiguration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CVarnelApp.h"
#include "app/EditPages.h"
#include "app/HeadlessUserInterface.h"
#include "app/MainWindowPort.h"
#include "model/ConfigFileReader.h"
#include "support/DemoModel.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/NullModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

// Counts the redraws the command asks of the main window.
class RedrawCounter : public MainWindowPort {
public:
    void UpdateTitle(const std::string&) override {}
    void SetFlashButtonVisible(bool) override {}
    void Invalidate() override { ++redraws; }
    int redraws = 0;
};

int GroupOf(const EditPages& pages, std::string_view shown) {
    for (size_t i = 0; i < pages.Groups().size(); ++i)
        if (pages.Groups()[i] == shown) return static_cast<int>(i);
    return -1;
}

// The command in a working folder holding the demo model's files, as a user starts the program
// there; the recording user interface plays the dialog.
class EditConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::CopyDemoModel(dir_.path());
        dir_.Enter();
        app_.model().startDirectory = dir_.path();
        app_.SetMainWindow(&window_);
    }
    void TearDown() override { app_.SetMainWindow(nullptr); }

    void LoadDemo() {
        test::NullModelObserver observer;
        ASSERT_TRUE(ReadConfigurationFile(app_.model(), "rpdemo.cfg", app_, observer));
        app_.model().modified = false;
    }
    int32_t Value(std::string_view name) {
        const SettingsTable& settings = app_.model().settings;
        return settings[static_cast<size_t>(FindSetting(settings, name))].value;
    }

    test::ScratchDir dir_;
    test::MemorySettingsStore store_;
    test::FakeClock clock_;
    test::RecordingUserInterface ui_;
    RedrawCounter window_;
    CVarnelApp app_{store_, clock_, ui_, nullptr, std::make_unique<test::FakePortBackend>()};
};

TEST_F(EditConfigurationTest, WithoutAModelOrItsOptionsFileTheDialogIsNotShown) {
    EXPECT_FALSE(RunEditConfiguration(app_));
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0], "Configuration Error: Unable to edit configuration. Must load a configuration file, or "
                            "read configuration from printer first.");

    app_.model().settings[0] = SettingRow{"Model", -1, "NO-SUCH-MODEL", "", ""};
    ui_.boxes.clear();
    EXPECT_FALSE(RunEditConfiguration(app_));
    ASSERT_FALSE(ui_.boxes.empty());
    EXPECT_EQ(ui_.boxes.back(), "Configuration Error: Unable to locate correct Options file.");
    EXPECT_EQ(ui_.editDialogs, 0);
    EXPECT_FALSE(app_.model().modified);
}

TEST_F(EditConfigurationTest, OkCopiesTheEditsOfEveryPageBackAndMarksTheConfigurationModified) {
    LoadDemo();
    ui_.editScript = [](EditPages& pages) {
        EXPECT_EQ(pages.Groups()[static_cast<size_t>(pages.SelectedGroup())], "General Settings");
        pages.Choose(0, 2);  // Print_Mode: "Label Mode"
        pages.SelectGroup(GroupOf(pages, "Print Setup"));
        pages.Choose(23, 0);  // Print_Quality, beyond the first 18: "Draft"
        return true;
    };
    EXPECT_TRUE(RunEditConfiguration(app_));
    EXPECT_EQ(ui_.editDialogs, 1);
    EXPECT_EQ(Value("Print_Mode"), 2);
    EXPECT_EQ(Value("Print_Quality"), 0);
    EXPECT_TRUE(app_.model().modified);
    EXPECT_EQ(window_.redraws, 1);
    // The map was matched to the model before the pages were filled.
    EXPECT_EQ(app_.model().mapFilePath, "rpdemo_100.map");
    EXPECT_TRUE(ui_.boxes.empty()) << ui_.boxes.front();
}

TEST_F(EditConfigurationTest, CancelDropsTheEditsOfEveryPageAndStillRedraws) {
    LoadDemo();
    ui_.editScript = [](EditPages& pages) {
        pages.Choose(0, 2);
        pages.SelectGroup(GroupOf(pages, "Print Setup"));
        pages.Choose(0, 0);
        return false;
    };
    EXPECT_FALSE(RunEditConfiguration(app_));
    EXPECT_EQ(Value("Print_Mode"), 0);
    EXPECT_EQ(Value("Print_Density"), 100);
    EXPECT_FALSE(app_.model().modified);
    EXPECT_EQ(window_.redraws, 1);
}

TEST(HeadlessEditDialog, IsCancelledAndAHelpPageCannotBeShown) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    {
        HeadlessUserInterface ui(fds[1]);
        ConfigModel model;
        test::RecordingReporter reporter;
        EditPages pages(model, reporter, {});
        pages.Open();
        EXPECT_FALSE(ui.EditConfiguration(pages));
        EXPECT_FALSE(ui.OpenHelpPage("/opt/varnel/Varnel.html", "Print_Mode"));
    }
    ::close(fds[1]);
    char buffer[256] = {};
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer - 1);
    ::close(fds[0]);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0),
              "Varnel Help: The help page could not be opened:\n/opt/varnel/Varnel.html\n");
}

}  // namespace
}  // namespace varnel
