// The main window driven as a user drives it: its menus opened by the mouse and the keyboard, its
// toolbar buttons clicked, and its boxes and file dialogs answered by keys. Each test checks what
// the user sees or gets: the title, the listing, the status line, the boxes, the files written.

#include "ui/CMainFrame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MainWindowInput.h"
#include "app/CVarnelApp.h"
#include "support/DemoModel.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/ScratchDir.h"
#include "ui/CAboutDlg.h"
#include "ui/CEditCommentDlg.h"
#include "ui/CVarnelView.h"
#include "ui/MainWindowRunner.h"
#include "ui/QtUserInterface.h"

namespace varnel {
namespace {

using test::AnswerBox;
using test::AnswerFileDialog;
using test::AnswerSaveQuestion;
using test::ClickMenuItem;
using test::ClickToolButton;
using test::PressKey;
using test::PressMenuKeys;

constexpr const char* kEndEntryHead = "Configuration Application Terminated:    ";

QApplication& Application() { return *static_cast<QApplication*>(QCoreApplication::instance()); }

// Counts the paints of the configuration view, wherever its window comes from.
class ViewPaints : public QObject {
public:
    ViewPaints() { qApp->installEventFilter(this); }
    ~ViewPaints() override { qApp->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<ConfigurationCanvas*>(watched)) ++count;
        return false;
    }
};

// The application with the Qt user interface over a fake printer port, in a copy of the examples
// folder, as the program starts it.
class MainFrameTest : public ::testing::Test {
protected:
    MainFrameTest() {
        app_.Startup();
        app_.CmdPort("COM3");
    }

    // The main window as the program opens it, shown and active.
    CMainFrame& Frame() {
        if (!frame_) {
            frame_ = std::make_unique<CMainFrame>(app_);
            app_.OpenFirstDocument();
            test::ShowActive(*frame_);
            frame_->RefreshView();
        }
        return *frame_;
    }

    // The whole interactive run: the window opens as in the program, `whenShown` works it, and
    // the run's exit code comes back once its event loop ends.
    int RunWindow(const std::function<void(CMainFrame&)>& whenShown) {
        test::WhenShownAfterWaits<CMainFrame>([whenShown](CMainFrame& frame) { WhenIdle(frame, whenShown); });
        return RunMainWindow(app_, Application());
    }
    // Works the window once no command runs in it (as a user, who cannot reach it before).
    static void WhenIdle(CMainFrame& frame, const std::function<void(CMainFrame&)>& act) {
        if (frame.busy()) {
            QTimer::singleShot(test::kDialogPollMs, &frame, [&frame, act] { WhenIdle(frame, act); });
            return;
        }
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        act(frame);
    }

    std::string Title() { return Frame().windowTitle().toStdString(); }
    std::string StatusText() { return Frame().statusBar()->currentMessage().toStdString(); }
    const ViewSnapshot& Shown() { return Frame().view()->snapshot(); }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir_.File(name)); }
    std::string Log() const { return test::ReadFileBytes(dir_.File("Varnel.log")); }
    QAction* Command(int id) { return Frame().Command(id); }
    void ClickButton(int id) { ClickToolButton(*Frame().toolBar(), Command(id)); }

    // rpdemo.cfg opened from the File menu.
    void OpenDemo() {
        AnswerFileDialog("rpdemo.cfg");
        PressMenuKeys(Frame(), Qt::Key_F, Qt::Key_O);
        ASSERT_EQ(app_.model().configFilePath, dir_.File("rpdemo.cfg"));
    }

    test::ScratchDir dir_ = test::ExamplesWorkingFolder();
    test::MemorySettingsStore store_;
    test::FakeClock clock_;
    QtUserInterface ui_;
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
          {"Printer Files ...", 32795},
          {"", 0},
          {"Station...", 32800}}},
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
    const QList<QAction*> menus = Frame().menuBar()->actions();
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
            EXPECT_EQ(Command(item.id), items[i]);
            EXPECT_TRUE(items[i]->isEnabled()) << item.text;
        }
    }
    EXPECT_EQ(Command(kCmdFileNew)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(Command(kCmdFileOpen)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(Command(kCmdFileSave)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
}

TEST_F(MainFrameTest, ToolbarButtonsComeInOrderWithTheFlashButtonHidden) {
    std::vector<int> ids;
    for (QAction* action : Frame().toolBar()->actions())
        ids.push_back(action->isSeparator() ? 0 : action->data().toInt());
    EXPECT_EQ(ids, (std::vector<int>{57600, 57601, 32783, 0, 32774, 32784, 32775, 32771, 32780, 57670, 0, 32792, 0}));
    EXPECT_FALSE(Command(kCmdFlashFirmware)->isVisible());
    for (QAction* action : Frame().toolBar()->actions()) {
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->data().toInt();
        }
    }
}

TEST_F(MainFrameTest, AltFThenXEndsTheRunWithExitCodeZeroTheEndEntryAndThePortSaved) {
    const int exitCode = RunWindow([](CMainFrame& frame) { PressMenuKeys(frame, Qt::Key_F, Qt::Key_X); });
    EXPECT_EQ(exitCode, 0);
    app_.Shutdown();
    EXPECT_NE(Log().find(kEndEntryHead), std::string::npos);
    EXPECT_EQ(store_.GetValue(kPortSettingsKey, "PortName")->data, "COM3");
}

TEST_F(MainFrameTest, ExitWithAChangedConfigurationAsksTheQuestionOfNewFirst) {
    struct Case {
        const char* what;
        QMessageBox::StandardButton answer;
        bool saved;
    } cases[] = {{"Discard ends without saving", QMessageBox::Discard, false},
                 {"Save saves as, then ends", QMessageBox::Save, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app_.CmdReadFile(dir_.File("rpdemo.cfg"));
        app_.model().modified = true;
        std::string question;
        AnswerSaveQuestion(c.answer, &question);
        if (c.saved) AnswerFileDialog("at-exit");
        const int exitCode = RunWindow([](CMainFrame& frame) { PressMenuKeys(frame, Qt::Key_F, Qt::Key_X); });
        EXPECT_EQ(exitCode, 0);
        EXPECT_EQ(question, "File: " + dir_.File("rpdemo.cfg") + " has changed. Save it to disk now?");
        EXPECT_EQ(Exists("at-exit.cfg"), c.saved);
    }
}

TEST_F(MainFrameTest, AConfigurationWithoutItsOptionsFileIsReportedAfterThePaintAndTheWindowStays) {
    // varnel readfile:nope.cfg, in a folder without the options file of its model.
    test::WriteFileBytes(dir_.File("nope.cfg"), "Model                 \"NOPE-1\"\r\n");
    app_.CmdReadFile("nope.cfg");

    std::string report;
    ViewPaints paints;
    int paintsBeforeTheBox = 0;
    test::WhenShownAfterWaits<QMessageBox>([&](QMessageBox& box) {
        report = box.text().toStdString();
        paintsBeforeTheBox = paints.count;
        QTest::keyClick(&box, Qt::Key_Return);
    });
    bool visibleAfterTheBox = false;
    std::string shownAfterTheBox;
    const int exitCode = RunWindow([&](CMainFrame& frame) {
        QTest::qWait(200);  // a paint after the box, and nothing more to report
        visibleAfterTheBox = frame.isVisible();
        const ViewSnapshot& shown = frame.view()->snapshot();
        if (!shown.texts.empty()) shownAfterTheBox = shown.texts[0].text;
        PressMenuKeys(frame, Qt::Key_F, Qt::Key_X);
    });
    EXPECT_EQ(report, "Model name missmatch or missing in options file.");
    EXPECT_GT(paintsBeforeTheBox, 0) << "the window was painted before the box covered it";
    EXPECT_GT(paints.count, paintsBeforeTheBox) << "and painted again after it";
    EXPECT_TRUE(visibleAfterTheBox);
    EXPECT_EQ(shownAfterTheBox, "Cannot locate Options (.OPT) file.");
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(test::UnansweredDialog<QMessageBox>(), nullptr) << "reported once";
}

TEST_F(MainFrameTest, OpenFromTheToolbarShowsTheConfigurationAndItsFlashButton) {
    std::string caption;
    AnswerFileDialog("rpdemo.cfg", &caption);
    ClickButton(kCmdFileOpen);
    EXPECT_EQ(caption, "Open");
    EXPECT_EQ(Title(), dir_.File("rpdemo.cfg") + " - Varnel  Port: [COM3]");
    ASSERT_TRUE(Shown().listing);
    EXPECT_EQ(Shown().texts[0].text, "RP-DEMO ");
    EXPECT_TRUE(Shown().Find("= Standard"));
    EXPECT_TRUE(Command(kCmdFlashFirmware)->isVisible());
}

TEST_F(MainFrameTest, SaveAsFromTheMenuWritesTheFileWithCfgAppended) {
    OpenDemo();
    std::string caption;
    AnswerFileDialog("copy", &caption);
    PressMenuKeys(Frame(), Qt::Key_F, Qt::Key_A);
    EXPECT_EQ(caption, "Save As");
    ASSERT_TRUE(Exists("copy.cfg"));
    EXPECT_NE(test::ReadFileBytes(dir_.File("copy.cfg")).find("\"RP-DEMO\""), std::string::npos);
    EXPECT_EQ(Title(), dir_.File("copy.cfg") + " - Varnel  Port: [COM3]");
    EXPECT_EQ(Shown().texts[1].text.rfind("copy.cfg   ", 0), 0u) << Shown().texts[1].text;
}

TEST_F(MainFrameTest, SaveWithoutAFileNameAsksForOneAndSaveWithOneWritesThere) {
    OpenDemo();
    app_.model().configFilePath.clear();
    AnswerFileDialog("fresh");
    ClickButton(kCmdFileSave);
    EXPECT_TRUE(Exists("fresh.cfg"));

    std::filesystem::remove(dir_.File("fresh.cfg"));
    app_.model().modified = true;
    PressMenuKeys(Frame(), Qt::Key_F, Qt::Key_S);  // no dialog this time
    EXPECT_TRUE(Exists("fresh.cfg"));
    EXPECT_EQ(test::UnansweredDialog<QFileDialog>(), nullptr);
}

TEST_F(MainFrameTest, ASaveThatLeavesALineOutIsReportedAndTheChangesStayUnsaved) {
    OpenDemo();
    // A comment as long as the comment dialog once let through.
    app_.model().comment = std::string(570, 'c');
    app_.model().modified = true;
    std::string report;
    AnswerBox(Qt::Key_Return, &report);
    PressKey(Frame(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(report, "Configuration line too long, not written: File_Comment");

    // New asks, since the configuration is not saved.
    std::string question;
    AnswerSaveQuestion(QMessageBox::Discard, &question);
    PressMenuKeys(Frame(), Qt::Key_F, Qt::Key_N);
    EXPECT_EQ(question, "File: " + dir_.File("rpdemo.cfg") + " has changed. Save it to disk now?");
}

TEST_F(MainFrameTest, NewFromTheToolbarAsksAboutChangesAndEmptiesTheView) {
    OpenDemo();
    app_.model().modified = true;
    std::string question;
    AnswerSaveQuestion(QMessageBox::Discard, &question);
    ClickButton(kCmdFileNew);
    EXPECT_EQ(question, "File: " + dir_.File("rpdemo.cfg") + " has changed. Save it to disk now?");
    EXPECT_EQ(Title(), " - Varnel  Port: [COM3]");
    ASSERT_EQ(Shown().texts.size(), 1u);
    EXPECT_EQ(Shown().texts[0].text, "---- No File Loaded ----");
    EXPECT_FALSE(Command(kCmdFlashFirmware)->isVisible());
    EXPECT_FALSE(Exists("rpdemo.cfg.cfg"));
}

TEST_F(MainFrameTest, OpenOfAChangedConfigurationAsksAndYesSavesItFirst) {
    OpenDemo();
    app_.model().modified = true;
    AnswerSaveQuestion(QMessageBox::Save);
    AnswerFileDialog("before");
    AnswerFileDialog("master.cfg");
    PressKey(Frame(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(Exists("before.cfg"));
    EXPECT_EQ(Title(), dir_.File("master.cfg") + " - Varnel  Port: [COM3]");
}

// Opening a file that is no configuration (the demo's boot file) is reported and changes
// nothing: the title and the listing stay, and Ctrl+S then saves to the configuration's own file.
TEST_F(MainFrameTest, OpeningAFileThatIsNoConfigurationKeepsTheDocumentAndSaveWritesItsOwnFile) {
    OpenDemo();
    const std::string title = Title();
    const std::string boot = test::ReadFileBytes(dir_.File("RPD1_101.BOT"));
    test::EveryBoxAnswered boxes;
    AnswerFileDialog("RPD1_101.BOT");
    PressKey(Frame(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&boxes] { return boxes.texts.size() >= 2; }));
    EXPECT_EQ(boxes.texts[0], dir_.File("RPD1_101.BOT") + " holds no settings: not a configuration file?");
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(Shown().texts[0].text, "RP-DEMO ");

    PressKey(Frame(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(test::ReadFileBytes(dir_.File("RPD1_101.BOT")), boot);
    EXPECT_NE(test::ReadFileBytes(dir_.File("rpdemo.cfg")).find("\"RP-DEMO\""), std::string::npos);
}

// "readfile:" of a missing file before the window opens leaves the title without its name.
TEST_F(MainFrameTest, AMissingFileGivenOnTheCommandLineLeavesNoNameInTheTitle) {
    test::EveryBoxAnswered boxes;
    app_.CmdReadFile(dir_.File("missing.cfg"));
    EXPECT_EQ(Title(), " - Varnel  Port: [COM3]");
    EXPECT_EQ(app_.model().configFilePath, "");
}

// Types `comment` into the Edit Comment dialog opened from the Configure menu, and presses Enter.
void TypeComment(CMainFrame& frame, const QString& comment) {
    test::WhenShownAfterWaits<CEditCommentDlg>([comment](CEditCommentDlg& dialog) {
        test::Activate(dialog);
        auto* edit = dialog.findChild<QLineEdit*>("id1051");
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, comment);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    ClickMenuItem(frame, "&Configure", "Edit Comment...");
}

// A new comment is a change like any other: Save writes it in both sections of the file, and
// New after another one asks first, Cancel keeping it.
TEST_F(MainFrameTest, AChangedCommentIsSavedInBothSectionsAndNewAsksBeforeDroppingIt) {
    OpenDemo();
    TypeComment(Frame(), "Store 12");
    EXPECT_TRUE(app_.model().modified);
    PressKey(Frame(), Qt::Key_S, Qt::ControlModifier);
    const std::string file = test::ReadFileBytes(dir_.File("rpdemo.cfg"));
    EXPECT_NE(file.find("//  File_Comment       = \"Store 12\""), std::string::npos);
    EXPECT_NE(file.find("\nFile_Comment          \"Store 12\""), std::string::npos);
    EXPECT_EQ(file.find("Demo store, counter 1"), std::string::npos);
    EXPECT_FALSE(app_.model().modified);

    TypeComment(Frame(), "Store 13");
    std::string question;
    std::string caption;
    AnswerSaveQuestion(QMessageBox::Cancel, &question, &caption);
    PressKey(Frame(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(question, "File: " + dir_.File("rpdemo.cfg") + " has changed. Save it to disk now?");
    EXPECT_EQ(caption, "Varnel");
    EXPECT_EQ(app_.model().comment, "Store 13");
    EXPECT_EQ(Shown().texts[2].text, "Store 13");
}

TEST_F(MainFrameTest, LoadMapFileListsTheGroupsOfItsModel) {
    Frame();
    ASSERT_EQ(Shown().texts[0].text, "---- No File Loaded ----");
    AnswerFileDialog("rpdemo_101.map");
    ClickMenuItem(Frame(), "&Configure", "Load Map File...");
    EXPECT_EQ(app_.model().mapFilePath, dir_.File("rpdemo_101.map"));
    EXPECT_TRUE(Shown().listing);
    EXPECT_TRUE(Shown().Find("General Settings:"));
}

TEST_F(MainFrameTest, TheViewMenuHidesAndShowsToolbarAndStatusBar) {
    PressMenuKeys(Frame(), Qt::Key_V, Qt::Key_T);
    EXPECT_FALSE(Frame().toolBar()->isVisible());
    EXPECT_FALSE(Command(kCmdViewToolbar)->isChecked());
    ClickMenuItem(Frame(), "&View", "&Status Bar");
    EXPECT_FALSE(Frame().statusBar()->isVisible());
    PressMenuKeys(Frame(), Qt::Key_V, Qt::Key_T);
    EXPECT_TRUE(Frame().toolBar()->isVisible());
    PressMenuKeys(Frame(), Qt::Key_V, Qt::Key_S);
    EXPECT_TRUE(Frame().statusBar()->isVisible());
}

TEST_F(MainFrameTest, AHelpPageThatCannotBeOpenedSaysSoWithItsPath) {
    const std::string page = app_.model().startDirectory + "/Varnel.html";
    std::filesystem::remove(page);
    std::string report;
    AnswerBox(Qt::Key_Return, &report);
    ClickMenuItem(Frame(), "&Help", "Using Varnel");
    EXPECT_EQ(report, "The help page could not be opened:\n" + page);

    // With the page there, the toolbar's button tries the desktop's browser; this test platform
    // has none to start.
    test::WriteFileBytes(page, "<html><body>Varnel</body></html>");
    AnswerBox(Qt::Key_Return, &report);
    ClickButton(kCmdHelp);
    EXPECT_EQ(report, "The help page could not be opened:\n" + page);
}

TEST_F(MainFrameTest, TheDialogCommandsOpenTheirDialogsFromTheMenuAndTheToolbar) {
    OpenDemo();
    struct Case {
        const char* menu;
        const char* item;  // null: the toolbar's button of `id`
        int id;
        const char* caption;
    } cases[] = {
        {"&Printer", "Select Port...", kCmdSelectPort, "Select Communication Port"},
        {nullptr, nullptr, kCmdSelectPort, "Select Communication Port"},
        {"&Configure", "Edit Comment...", kCmdEditComment, "Edit Comment"},
        {"&Configure", "Edit Configuration...", kCmdEditConfig, "Configuration Edit"},
        {nullptr, nullptr, kCmdEditConfig, "Configuration Edit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item ? c.item : "toolbar");
        std::string caption;
        test::WhenShownAfterWaits<QDialog>([&caption](QDialog& dialog) {
            caption = dialog.windowTitle().toStdString();
            test::Activate(dialog);
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        if (c.item)
            ClickMenuItem(Frame(), c.menu, c.item);
        else
            ClickButton(c.id);
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(test::ShownDialog<QDialog>(), nullptr) << "Escape closed it";
    }
    // Escape changed nothing.
    EXPECT_FALSE(app_.model().modified);
    EXPECT_EQ(app_.model().comment, "Demo store, counter 1");
}

TEST_F(MainFrameTest, AboutShowsTheVersionUntilClosed) {
    std::string version;
    std::string caption;
    test::WhenShownAfterWaits<CAboutDlg>([&](CAboutDlg& about) {
        caption = about.windowTitle().toStdString();
        auto* label = about.findChild<QLabel*>(QStringLiteral("version"));
        if (label) version = label->text().toStdString();
        QTest::keyClick(&about, Qt::Key_Return);
    });
    PressMenuKeys(Frame(), Qt::Key_H, Qt::Key_A);
    EXPECT_EQ(caption, "About Varnel");
    EXPECT_EQ(version, "Varnel Version 2.26");
    EXPECT_EQ(test::ShownDialog<CAboutDlg>(), nullptr);
}

TEST_F(MainFrameTest, ALongCommentIsCutAtTheColumnEdge) {
    // A comment as long as a configuration line holds.
    const std::string comment(250, 'W');
    std::string file = test::ReadFileBytes(dir_.File("rpdemo.cfg"));
    const std::string oldComment = "Demo store, counter 1";
    for (size_t at = file.find(oldComment); at != std::string::npos; at = file.find(oldComment))
        file.replace(at, oldComment.size(), comment);
    test::WriteFileBytes(dir_.File("long.cfg"), file);
    AnswerFileDialog("long.cfg");
    ClickButton(kCmdFileOpen);
    ASSERT_EQ(app_.model().comment, comment);

    const QImage image = Frame().view()->canvas()->grab().toImage();
    const QRgb background = image.pixel(398, 2);
    // The comment's line (the third) has nothing between its column's edge and the second column
    // but the separator line.
    bool inkInTheGap = false;
    for (int y = 32; y < 48; ++y)
        for (int x = kViewSeparatorX - kViewColumnGap; x < kViewSecondColumnX; ++x)
            if (x != kViewSeparatorX && image.pixel(x, y) != background) inkInTheGap = true;
    EXPECT_FALSE(inkInTheGap);
    bool inkNearTheEdge = false;
    for (int y = 32; y < 48; ++y)
        for (int x = 300; x < kViewSeparatorX - kViewColumnGap; ++x)
            if (image.pixel(x, y) != background) inkNearTheEdge = true;
    EXPECT_TRUE(inkNearTheEdge) << "the comment runs up to the edge";
}

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
