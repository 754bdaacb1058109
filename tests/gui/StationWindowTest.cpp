// The Station window against three simulated printers, worked by the mouse and the keyboard:
// opened from the main window's Printer menu, ports typed in, a record file chosen, the job
// started and stopped, and what the user sees checked (rows, colours, summary, a printer's log)
// together with what the station leaves behind (the record, no varnel process).

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "MainWindowInput.h"
#include "app/CVarnelApp.h"
#include "support/DemoModel.h"
#include "support/MemorySettingsStore.h"
#include "support/ProcessTable.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/SplitText.h"
#include "support/TestPaths.h"
#include "ui/CMainFrame.h"
#include "ui/CStationWnd.h"
#include "ui/QtClock.h"
#include "ui/QtUserInterface.h"

namespace varnel {
namespace {

using test::AnswerBox;
using test::AnswerFileDialog;
using test::ClickMenuItem;

// Far beyond a job of two runs on an idle machine: a station that never ends fails the test.
constexpr int kJobLimitMs = 180000;
constexpr const char* kWriteRun = "readfile:rpdemo.cfg writecfg exit";
constexpr const char* kVerifyRun = "readfile:rpdemo.cfg verify";

class StationWindowTest : public ::testing::Test {
protected:
    // Three printers: the main window's on a pseudo-terminal, two over TCP, the last of them
    // silent when asked for its firmware when `silentLast`, or all of them slow to answer.
    void StartPrinters(const std::vector<std::string>& lastSwitches, const std::vector<std::string>& allSwitches = {}) {
        for (int index = 0; index < 3; ++index) {
            std::vector<std::string> switches = test::DemoPrinterSwitches();
            switches.insert(switches.end(), allSwitches.begin(), allSwitches.end());
            if (index == 2) switches.insert(switches.end(), lastSwitches.begin(), lastSwitches.end());
            const test::SimulatorLine line = index == 0 ? test::SimulatorLine::Pty : test::SimulatorLine::Tcp;
            printers_.push_back(std::make_unique<test::SimulatorProcess>(line, switches));
            ASSERT_FALSE(printers_.back()->Port().empty());
        }
    }

    // The main window on the demo configuration, its port the first printer's; then Printer >
    // Station... by the mouse.
    void OpenStation() {
        app_.Startup();
        app_.CmdPort(Port(0));
        app_.CmdReadFile("rpdemo.cfg");
        frame_ = std::make_unique<CMainFrame>(app_);
        frame_->SetStationProgram(test::VarnelExe());
        app_.OpenFirstDocument();
        test::ShowActive(*frame_);
        ClickMenuItem(*frame_, "&Printer", "Station...");
        station_ = frame_->stationWindow();
        ASSERT_NE(station_, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(station_));
        test::Activate(*station_);
    }

    const std::string& Port(int index) const { return printers_[static_cast<size_t>(index)]->Port(); }

    // Types a port into the port box and adds it with Enter.
    void TypePort(const std::string& port) {
        QLineEdit* edit = station_->PortEdit();
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClicks(edit, QString::fromStdString(port));
        QTest::keyClick(edit, Qt::Key_Return);
    }

    void Click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Waits until the station is done (Start can be pressed again).
    bool WaitUntilDone() {
        return QTest::qWaitFor([this] { return station_->StartButton()->isEnabled(); }, kJobLimitMs);
    }

    std::vector<std::string> Lines(const QListWidget& list, bool checkedOnly) const {
        std::vector<std::string> lines;
        for (int row = 0; row < list.count(); ++row)
            if (!checkedOnly || list.item(row)->checkState() == Qt::Checked)
                lines.push_back(list.item(row)->text().toStdString());
        return lines;
    }

    // The row of `port`; null when there is none.
    QTreeWidgetItem* Row(const std::string& port) const {
        QTreeWidget* rows = station_->PrinterRows();
        for (int index = 0; index < rows->topLevelItemCount(); ++index)
            if (rows->topLevelItem(index)->text(CStationWnd::kPortColumn).toStdString() == port)
                return rows->topLevelItem(index);
        return nullptr;
    }
    std::string Cell(const std::string& port, int column) const {
        QTreeWidgetItem* row = Row(port);
        return row ? row->text(column).toStdString() : "(no row)";
    }

    test::ScratchDir dir_ = test::ExamplesWorkingFolder();
    test::MemorySettingsStore store_;
    QtClock clock_;
    QtUserInterface ui_;
    std::vector<std::unique_ptr<test::SimulatorProcess>> printers_;
    CVarnelApp app_{store_, clock_, ui_, nullptr};
    std::unique_ptr<CMainFrame> frame_;
    CStationWnd* station_ = nullptr;
};

TEST_F(StationWindowTest, AJobOnThreePrintersShowsEachRowTheSummaryAndWritesTheRecord) {
    StartPrinters({"--fault-silent", "firmware"});
    OpenStation();
    // The main window's port is checked, its configuration written then verified.
    EXPECT_EQ(Lines(*station_->PortList(), true), std::vector<std::string>{Port(0)});
    EXPECT_EQ(Lines(*station_->JobList(), false), (std::vector<std::string>{kWriteRun, kVerifyRun}));
    // The main window stays usable: the station is a window of its own, not a modal one.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(station_->isWindow());

    TypePort(Port(1));
    TypePort(Port(2));
    EXPECT_EQ(Lines(*station_->PortList(), true), (std::vector<std::string>{Port(0), Port(1), Port(2)}));
    AnswerFileDialog("record.jsonl");
    Click(station_->RecordButton());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !station_->RecordEdit()->text().isEmpty(); }));

    Click(station_->StartButton());
    EXPECT_FALSE(station_->StartButton()->isEnabled());
    ASSERT_TRUE(WaitUntilDone());

    ASSERT_EQ(station_->PrinterRows()->topLevelItemCount(), 3);
    for (int passing : {0, 1}) {
        SCOPED_TRACE(Port(passing));
        EXPECT_EQ(Cell(Port(passing), CStationWnd::kResultColumn), "passed");
        EXPECT_EQ(Cell(Port(passing), CStationWnd::kFirmwareColumn), "RPD1-1.01");
        EXPECT_EQ(Cell(Port(passing), CStationWnd::kRunColumn), "run 2 of 2");
        EXPECT_EQ(Row(Port(passing))->foreground(CStationWnd::kResultColumn).color(), QColor(0, 128, 0));
    }
    const std::string silent = Cell(Port(2), CStationWnd::kResultColumn);
    EXPECT_EQ(silent.rfind("failed: ", 0), 0u) << silent;
    EXPECT_GT(silent.size(), std::string("failed: ").size()) << "the first error is shown";
    // Its write failed, which the strict run's exit code tells: the verify never started.
    EXPECT_EQ(Cell(Port(2), CStationWnd::kRunColumn), "run 1 of 2");
    EXPECT_EQ(Row(Port(2))->foreground(CStationWnd::kResultColumn).color(), QColor(192, 0, 0));

    const std::string summary = station_->Summary()->text().toStdString();
    EXPECT_NE(summary.find("3 printer(s): 2 passed, 1 failed"), std::string::npos) << summary;
    EXPECT_NE(summary.find("Failed: " + Port(2)), std::string::npos) << summary;

    // One record line per printer, the silent one failed with its error.
    const std::vector<std::string> lines = test::SplitAt(dir_.Read("record.jsonl"), "\n");
    ASSERT_EQ(lines.size(), 3u) << dir_.Read("record.jsonl");
    int passed = 0;
    for (const std::string& line : lines) {
        const nlohmann::json record = nlohmann::json::parse(line);
        const bool silentOne = record.at("port") == Port(2);
        EXPECT_EQ(record.at("passed").get<bool>(), !silentOne) << line;
        EXPECT_EQ(record.at("error").is_null(), !silentOne) << line;
        passed += record.at("passed").get<bool>() ? 1 : 0;
    }
    EXPECT_EQ(passed, 2);

    // A double click on the failed row shows that printer's log.
    QTreeWidget* rows = station_->PrinterRows();
    const QRect failedRow = rows->visualItemRect(Row(Port(2)));
    // A double click is a click and a second press, as the mouse gives it.
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, failedRow.center());
    QTest::mouseDClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, failedRow.center());
    auto* log = station_->findChild<QDialog*>(QStringLiteral("PrinterLog"));
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isVisible());
    EXPECT_EQ(log->windowTitle().toStdString(), "Log of " + Port(2));
    EXPECT_NE(log->findChild<QPlainTextEdit*>()->toPlainText().indexOf(QStringLiteral("Configuration Error:")), -1);
    EXPECT_TRUE(test::ChildrenNamed(getpid(), "varnel").empty());
}

TEST_F(StationWindowTest, StopAsksFirstThenEndsEveryRunAndLeavesNoVarnelProcess) {
    // Slow printers: the job is still at its first run when Stop is pressed.
    StartPrinters({}, {"--fault-slow", "200"});
    OpenStation();
    TypePort(Port(1));
    TypePort(Port(2));
    Click(station_->StartButton());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !test::ChildrenNamed(getpid(), "varnel").empty(); }, kJobLimitMs));

    // No keeps the station at work.
    AnswerBox(Qt::Key_N);
    Click(station_->StopButton());
    EXPECT_FALSE(station_->StartButton()->isEnabled());
    EXPECT_FALSE(test::ChildrenNamed(getpid(), "varnel").empty());

    std::string question;
    AnswerBox(Qt::Key_Y, &question);
    Click(station_->StopButton());
    ASSERT_TRUE(WaitUntilDone());
    EXPECT_EQ(question, "Stop every printer's job now?");
    EXPECT_TRUE(test::ChildrenNamed(getpid(), "varnel").empty());
    for (int index = 0; index < 3; ++index) {
        const std::string result = Cell(Port(index), CStationWnd::kResultColumn);
        EXPECT_EQ(result.rfind("failed: stopped", 0), 0u) << result;
    }
}

TEST_F(StationWindowTest, ClosingWhilePrintersRunAsksFirst) {
    StartPrinters({}, {"--fault-slow", "200"});
    OpenStation();
    Click(station_->StartButton());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !test::ChildrenNamed(getpid(), "varnel").empty(); }, kJobLimitMs));

    AnswerBox(Qt::Key_N);
    EXPECT_FALSE(station_->close());
    EXPECT_TRUE(station_->isVisible());

    AnswerBox(Qt::Key_Y);
    EXPECT_TRUE(station_->close());
    ASSERT_TRUE(WaitUntilDone());
    EXPECT_TRUE(test::ChildrenNamed(getpid(), "varnel").empty());
}

TEST_F(StationWindowTest, RunsAreEditedInTheListAndSavedAndLoadedAsAJobFile) {
    StartPrinters({});
    OpenStation();
    // A run of its own, typed into the list; a run removed again.
    Click(station_->AddRunButton());
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(qobject_cast<QLineEdit*>(editor), nullptr);
    qobject_cast<QLineEdit*>(editor)->selectAll();
    QTest::keyClicks(editor, QStringLiteral("readcfg \"writefile:backup {name}.cfg\" exit"));
    QTest::keyClick(editor, Qt::Key_Return);
    Click(station_->AddRunButton());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    Click(station_->RemoveRunButton());
    const std::vector<std::string> runs{kWriteRun, kVerifyRun, "readcfg \"writefile:backup {name}.cfg\" exit"};
    EXPECT_EQ(Lines(*station_->JobList(), false), runs);

    AnswerFileDialog("three.job");
    Click(station_->SaveJobButton());
    EXPECT_EQ(dir_.Read("three.job"), runs[0] + "\n" + runs[1] + "\n" + runs[2] + "\n");

    dir_.Write("other.job", "# a backup before anything else\nreadcfg writefile:{name}.cfg exit\n\nreadfile:rpdemo.cfg verify\n");
    AnswerFileDialog("other.job");
    Click(station_->LoadJobButton());
    EXPECT_EQ(Lines(*station_->JobList(), false),
              (std::vector<std::string>{"readcfg writefile:{name}.cfg exit", kVerifyRun}));

    // A file that holds no run is said, and the list stays.
    dir_.Write("empty.job", "# nothing yet\n");
    std::string said;
    AnswerFileDialog("empty.job");
    AnswerBox(Qt::Key_Return, &said);
    Click(station_->LoadJobButton());
    EXPECT_NE(said.find("empty.job"), std::string::npos) << said;
    EXPECT_EQ(Lines(*station_->JobList(), false),
              (std::vector<std::string>{"readcfg writefile:{name}.cfg exit", kVerifyRun}));
}

}  // namespace
}  // namespace varnel
