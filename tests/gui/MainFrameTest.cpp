#include "ui/CMainFrame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/CVarnelApp.h"
#include "support/DemoModel.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"
#include "support/TestPaths.h"
#include "ui/CVarnelView.h"
#include "ui/QtUserInterface.h"

namespace varnel {
namespace {

constexpr const char* kSaveQuestionEnd = " has changed. Save it to disk now?";

// The main window over an application whose printer port is a fake and whose dialogs are
// answered by the test, in a copy of the demo directory.
class MainFrameTest : public ::testing::Test {
protected:
    MainFrameTest() {
        app_.Startup();
        frame_ = std::make_unique<CMainFrame>(app_);
        app_.NewDocument();
    }

    void Trigger(int id) {
        QAction* action = frame_->Command(id);
        ASSERT_NE(action, nullptr) << id;
        ASSERT_TRUE(action->isEnabled()) << id;
        action->trigger();
    }
    std::string Title() const { return frame_->windowTitle().toStdString(); }
    std::string Port() const { return app_.model().portName; }
    void OpenFile(const std::string& path) {
        ui_.fileAnswers.push_back(path);
        Trigger(kCmdFileOpen);
    }
    // The demo configuration open and changed; the question whether to save it gets `saveIt`.
    void OpenChangedDemo(bool saveIt) {
        OpenFile("rpdemo.cfg");
        app_.model().modified = true;
        ui_.yesNoAnswers = {saveIt};
    }

    test::ScratchDir dir_ = test::ExamplesWorkingFolder();
    test::MemorySettingsStore store_;
    test::FakeClock clock_;
    test::RecordingUserInterface ui_;
    CVarnelApp app_{store_, clock_, ui_, nullptr, std::make_unique<test::FakePortBackend>()};
    std::unique_ptr<CMainFrame> frame_;
};

TEST_F(MainFrameTest, MenusHoldEveryItemWithItsTextAndCommand) {
    struct Item {
        const char* text;
        int id;  // 0: separator
    };
    struct Menu {
        const char* title;
        std::vector<Item> items;
    };
    const std::vector<Menu> expected = {
        {"&File",
         {{"&New\tCtrl+N", 57600},
          {"&Open...\tCtrl+O", 57601},
          {"&Save\tCtrl+S", 32783},
          {"Save &As...", 32782},
          {"", 0},
          {"E&xit", 57665}}},
        {"&View", {{"&Toolbar", 59392}, {"&Status Bar", 59393}}},
        {"&Printer",
         {{"Reset Printer", 32777},
          {"Detect Printer Baud Rate", 32778},
          {"Setup Serial Port...", 32779},
          {"Select Port...", 32780},
          {"Printer Files ...", 32795}}},
        {"&Configure",
         {{"Edit Comment...", 32785},
          {"Load Map File...", 32773},
          {"", 0},
          {"Read Configuration from Printer", 32774},
          {"Edit Configuration...", 32784},
          {"Write Configuration to Printer", 32775},
          {"Verify Configruation", 32771}}},
        {"&Help", {{"Using Varnel", 57670}, {"&About Varnel...", 57664}}},
    };
    const QList<QAction*> menus = frame_->menuBar()->actions();
    ASSERT_EQ(menus.size(), static_cast<qsizetype>(expected.size()));
    for (size_t m = 0; m < expected.size(); ++m) {
        SCOPED_TRACE(expected[m].title);
        EXPECT_EQ(menus[m]->text().toStdString(), expected[m].title);
        const QList<QAction*> items = menus[m]->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[m].items.size()));
        for (size_t i = 0; i < expected[m].items.size(); ++i) {
            const Item& item = expected[m].items[i];
            if (item.id == 0) {
                EXPECT_TRUE(items[i]->isSeparator());
                continue;
            }
            EXPECT_EQ(items[i]->text().toStdString(), item.text);
            EXPECT_EQ(items[i]->data().toInt(), item.id);
            EXPECT_EQ(frame_->Command(item.id), items[i]);
        }
    }
    EXPECT_EQ(frame_->Command(kCmdFileNew)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(frame_->Command(kCmdFileOpen)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(frame_->Command(kCmdFileSave)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
}

TEST_F(MainFrameTest, DialogCommandsRunWhatIsConnectedToThem) {
    const int dialogCommands[] = {kCmdSelectPort, kCmdPrinterFiles, kCmdEditComment, kCmdEditConfig, kCmdAbout};
    for (int id : dialogCommands) {
        SCOPED_TRACE(id);
        QAction* action = frame_->Command(id);
        ASSERT_NE(action, nullptr);
        // A command whose dialog is not connected yet is disabled, and does nothing.
        if (!action->isEnabled()) action->trigger();
        int runs = 0;
        frame_->EnableCommand(id, [&runs] { ++runs; });
        EXPECT_TRUE(action->isEnabled());
        action->trigger();
        EXPECT_EQ(runs, 1);
    }
}

TEST_F(MainFrameTest, ToolbarButtonsComeInOrderWithTheFlashButtonHidden) {
    std::vector<int> ids;
    for (QAction* action : frame_->toolBar()->actions()) ids.push_back(action->isSeparator() ? 0 : action->data().toInt());
    EXPECT_EQ(ids, (std::vector<int>{57600, 57601, 32783, 0, 32774, 32784, 32775, 32771, 32780, 57670, 0, 32792, 0}));
    EXPECT_FALSE(frame_->Command(kCmdFlashFirmware)->isVisible());
    for (QAction* action : frame_->toolBar()->actions()) {
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->data().toInt();
        }
    }
}

TEST_F(MainFrameTest, TitleFollowsOpenSaveAsNewAndPortChanges) {
    app_.CmdPort("COM3");
    EXPECT_EQ(Title(), " - Varnel  Port: [COM3]");

    OpenFile("rpdemo.cfg");
    EXPECT_EQ(Title(), "rpdemo.cfg - Varnel  Port: [COM3]");

    ui_.fileAnswers.push_back(dir_.File("copy"));
    Trigger(kCmdFileSaveAs);
    EXPECT_EQ(Title(), dir_.File("copy.cfg") + " - Varnel  Port: [COM3]");

    Trigger(kCmdFileNew);
    EXPECT_EQ(Title(), " - Varnel  Port: [COM3]");
    EXPECT_EQ(app_.model().model, "");
}

TEST_F(MainFrameTest, FlashButtonShowsForAConfigurationWithAFirmwareId) {
    OpenFile("rpdemo.cfg");
    EXPECT_TRUE(frame_->Command(kCmdFlashFirmware)->isVisible());

    test::WriteFileBytes(dir_.File("plain.cfg"), "Model                 \"RP-DEMO\"\r\nBuzzer                1\r\n");
    OpenFile("plain.cfg");
    EXPECT_FALSE(frame_->Command(kCmdFlashFirmware)->isVisible());
}

TEST_F(MainFrameTest, SaveAsAppendsCfgOnlyWhenTheNameHasNoCfgAnywhere) {
    struct Case {
        const char* chosen;
        const char* written;
    } cases[] = {{"test", "test.cfg"}, {"TEST.CFG", "TEST.CFG"}, {"x.cfg.bak", "x.cfg.bak"}};
    OpenFile("rpdemo.cfg");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        app_.model().modified = true;
        ui_.fileAnswers.push_back(dir_.File(c.chosen));
        Trigger(kCmdFileSaveAs);
        EXPECT_TRUE(std::filesystem::exists(dir_.File(c.written)));
        EXPECT_EQ(app_.model().configFilePath, dir_.File(c.written));
        EXPECT_FALSE(app_.model().modified);
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.File("TEST.CFG.cfg")));
}

TEST_F(MainFrameTest, SaveWithoutAFileNameAsksForOneAndSaveWithOneWritesThere) {
    OpenFile("rpdemo.cfg");
    app_.model().configFilePath.clear();
    ui_.fileAnswers.push_back(dir_.File("fresh"));
    Trigger(kCmdFileSave);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("fresh.cfg")));

    std::filesystem::remove(dir_.File("fresh.cfg"));
    app_.model().modified = true;
    Trigger(kCmdFileSave);  // no dialog this time: the queue is empty and the file comes back
    EXPECT_TRUE(std::filesystem::exists(dir_.File("fresh.cfg")));
    EXPECT_FALSE(app_.model().modified);
}

TEST_F(MainFrameTest, CancelledDialogsChangeNothing) {
    OpenFile("rpdemo.cfg");
    const std::string title = Title();
    Trigger(kCmdFileOpen);    // no answer queued: cancelled
    Trigger(kCmdFileSaveAs);  // likewise
    Trigger(kCmdLoadMap);
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(app_.model().configFilePath, "rpdemo.cfg");
}

TEST_F(MainFrameTest, NewAsksAboutChangesAndSavesOnYes) {
    OpenChangedDemo(true);
    ui_.fileAnswers.push_back(dir_.File("kept"));
    Trigger(kCmdFileNew);

    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0], std::string(": File: rpdemo.cfg") + kSaveQuestionEnd);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("kept.cfg")));
    EXPECT_EQ(app_.model().model, "");
    EXPECT_EQ(app_.model().settings[0].name, "");

    Trigger(kCmdFileNew);  // nothing left to save: no second question
    EXPECT_EQ(ui_.questions.size(), 1u);
}

TEST_F(MainFrameTest, NewAnsweredNoClearsWithoutSaving) {
    OpenChangedDemo(false);
    Trigger(kCmdFileNew);
    EXPECT_EQ(ui_.questions.size(), 1u);
    EXPECT_TRUE(ui_.fileAnswers.empty());
    EXPECT_EQ(app_.model().model, "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}),
              std::distance(std::filesystem::directory_iterator(test::ExamplesDir()), {}) + 1);  // + Varnel.log
}

TEST_F(MainFrameTest, OpenAnsweredNoKeepsChangesUnsavedAndGoesOnToTheFileDialog) {
    OpenChangedDemo(false);
    OpenFile("master.cfg");
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0], std::string(": File: rpdemo.cfg") + kSaveQuestionEnd);
    EXPECT_EQ(app_.model().configFilePath, "master.cfg");
}

TEST_F(MainFrameTest, OpenAnsweredYesSavesFirst) {
    OpenChangedDemo(true);
    ui_.fileAnswers.push_back(dir_.File("before"));
    OpenFile("master.cfg");
    EXPECT_TRUE(std::filesystem::exists(dir_.File("before.cfg")));
    EXPECT_EQ(app_.model().configFilePath, "master.cfg");
}

TEST_F(MainFrameTest, NewKeepsAConfigurationTheCommandLineAskedToKeepOnce) {
    app_.CmdReadFile("rpdemo.cfg");
    Trigger(kCmdFileNew);
    EXPECT_EQ(app_.model().model, "RP-DEMO");
    EXPECT_FALSE(app_.model().keepSettingsOnNew);
    Trigger(kCmdFileNew);
    EXPECT_EQ(app_.model().model, "");
}

TEST_F(MainFrameTest, LoadMapFileReadsTheChosenMap) {
    ui_.fileAnswers.push_back("rpdemo_101.map");
    Trigger(kCmdLoadMap);
    EXPECT_EQ(app_.model().mapFilePath, "rpdemo_101.map");
    EXPECT_EQ(app_.model().mapEntries[0].name.empty(), false);
}

TEST_F(MainFrameTest, DetectBaudRateShowsItsStatusTextFirst) {
    Trigger(kCmdDetectBaud);
    ASSERT_FALSE(ui_.statusTexts.empty());
    EXPECT_EQ(ui_.statusTexts[0], "Automatic Baud Rate detection in progress.");
    for (const std::string& box : ui_.boxes) EXPECT_EQ(box.find("Baud rate detected"), std::string::npos);
}

TEST_F(MainFrameTest, ViewTakesTheListingsScrollAreaOnceDrawn) {
    OpenFile("rpdemo.cfg");
    frame_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    QTRY_COMPARE(frame_->view()->canvas()->minimumWidth(), 900);
    EXPECT_GT(frame_->view()->canvas()->minimumHeight(), 500);
}

TEST_F(MainFrameTest, ToolbarAndStatusBarCanBeHiddenFromTheViewMenu) {
    frame_->show();
    Trigger(kCmdViewToolbar);
    EXPECT_FALSE(frame_->toolBar()->isVisible());
    Trigger(kCmdViewStatusBar);
    EXPECT_FALSE(frame_->statusBar()->isVisible());
    Trigger(kCmdViewToolbar);
    EXPECT_TRUE(frame_->toolBar()->isVisible());
}

}  // namespace
}  // namespace varnel

namespace varnel {
namespace {

TEST(MainFrameStatusTest, StatusTextsGoToTheStatusBarWhileTheWindowExists) {
    test::ScratchDir dir = test::ExamplesWorkingFolder();
    test::MemorySettingsStore store;
    test::FakeClock clock;
    QtUserInterface ui;
    CVarnelApp app(store, clock, ui, nullptr, std::make_unique<test::FakePortBackend>());
    EXPECT_EQ(app.ShowStatus("before the window", 0), 0);
    {
        CMainFrame frame(app);
        EXPECT_EQ(app.ShowStatus("Reading****...", 0), 1);
        EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), "Reading****...");
    }
    EXPECT_EQ(app.ShowStatus("after the window", 0), 0);
    EXPECT_FALSE(app.MainWindowExists());
}

}  // namespace
}  // namespace varnel
