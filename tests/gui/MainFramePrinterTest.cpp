// The main window's printer commands against varnel-printer-sim, with the real port layer and the
// window's own clock: menus and toolbar buttons worked by the mouse, boxes answered by keys, and
// what the user sees checked (status line, listing, boxes, the dialogs that open).

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FlashChoiceInput.h"
#include "MainWindowInput.h"
#include "app/CVarnelApp.h"
#include "support/DemoModel.h"
#include "support/MemorySettingsStore.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "ui/CFlashDlg.h"
#include "ui/CMainFrame.h"
#include "ui/CPrinterFilesDlg.h"
#include "ui/CSelectPortDlg.h"
#include "ui/CVarnelView.h"
#include "ui/OperationStatus.h"
#include "ui/QtClock.h"
#include "ui/QtUserInterface.h"

namespace varnel {
namespace {

using test::AnswerBox;
using test::AnswerFileDialog;
using test::ClickMenuItem;
using test::ClickToolButton;

// The program's main window on the demo folder, its port the simulated printer's.
class MainFramePrinterTest : public ::testing::Test {
protected:
    void Start(test::SimulatorLine line, std::vector<std::string> switches = {}) {
        std::vector<std::string> all = test::DemoPrinterSwitches();
        all.insert(all.end(), switches.begin(), switches.end());
        printer_ = std::make_unique<test::SimulatorProcess>(line, all);
        ASSERT_FALSE(printer_->Port().empty());
        app_.Startup();
        app_.CmdPort(printer_->Port());
        frame_ = std::make_unique<CMainFrame>(app_);
        app_.OpenFirstDocument();
        test::ShowActive(*frame_);
        frame_->RefreshView();
    }

    std::string StatusText() const { return frame_->statusBar()->currentMessage().toStdString(); }
    const ViewSnapshot& Shown() const { return frame_->view()->snapshot(); }
    // Printer commands run beside the window; these wait until the command has ended.
    void ClickButton(int id) {
        ClickToolButton(*frame_->toolBar(), frame_->Command(id));
        WaitUntilIdle();
    }
    void ClickMenu(const QString& menu, const QString& item) {
        ClickMenuItem(*frame_, menu, item);
        WaitUntilIdle();
    }
    void WaitUntilIdle() { ASSERT_TRUE(QTest::qWaitFor([this] { return !frame_->busy(); }, test::kDialogWaitMs)); }
    // Starts a printer command from its toolbar button and returns while it runs.
    void StartFromToolbar(int id) {
        ClickToolButton(*frame_->toolBar(), frame_->Command(id));
        ASSERT_TRUE(frame_->busy());
    }
    // Waits until the running operation has done `units` of its work, then clicks its Cancel.
    void CancelAfter(int units) {
        QProgressBar* bar = frame_->operationStatus()->bar();
        ASSERT_TRUE(QTest::qWaitFor([bar, units] { return bar->maximum() > 0 && bar->value() >= units; },
                                    test::kDialogWaitMs));
        QTest::mouseClick(frame_->operationStatus()->cancelButton(), Qt::LeftButton);
    }
    // Every field of every settings row, in order.
    std::vector<std::string> Settings() const {
        std::vector<std::string> rows;
        for (const SettingRow& row : app_.model().settings)
            rows.push_back(row.name + '|' + std::to_string(row.value) + '|' + row.text + '|' + row.comment + '|' +
                           row.customComment);
        return rows;
    }
    void OpenDemo() {
        AnswerFileDialog("rpdemo.cfg");
        ClickButton(kCmdFileOpen);
        ASSERT_TRUE(Shown().listing);
    }
    std::vector<std::string> ShownTexts() const {
        std::vector<std::string> texts;
        for (const ViewText& t : Shown().texts) texts.push_back(t.text);
        return texts;
    }

    // A serial port new to the settings asks for its line settings first; once started, this
    // answers that dialog with OK, which keeps them.
    void AnswerLineSettings() {
        QObject::connect(&lineSettings_, &QTimer::timeout, [this] {
            QDialog* dialog = test::ShownDialog<QDialog>("CommConfigDialog");
            if (!dialog || QApplication::activeModalWidget() != dialog) return;
            lineSettings_.stop();
            test::Activate(*dialog);
            QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
        lineSettings_.start(test::kDialogPollMs);
    }

    QTimer lineSettings_;
    test::ScratchDir dir_ = test::ExamplesWorkingFolder();
    test::MemorySettingsStore store_;
    QtClock clock_;
    QtUserInterface ui_;
    std::unique_ptr<test::SimulatorProcess> printer_;
    CVarnelApp app_{store_, clock_, ui_, nullptr};
    std::unique_ptr<CMainFrame> frame_;
};

TEST_F(MainFramePrinterTest, ReadWriteVerifyAndResetFromTheToolbarAndTheMenus) {
    const std::string trace = dir_.File("printer-trace.txt");
    Start(test::SimulatorLine::Tcp, {"--trace", trace});

    test::EveryBoxAnswered boxes;
    ClickButton(kCmdReadConfig);
    EXPECT_EQ(StatusText(), "End Reading Configuration.");
    ASSERT_TRUE(Shown().listing);
    EXPECT_EQ(Shown().texts[0].text, "RP-DEMO ");
    EXPECT_EQ(Shown().texts[3].text, "RPD1-1.01");
    EXPECT_TRUE(Shown().Find("= Standard"));

    ClickMenu("&Configure", "Write Configuration to Printer");
    EXPECT_EQ(StatusText(), "End Configuration.");

    ClickButton(kCmdVerifyConfig);
    EXPECT_EQ(StatusText(), "End Configuration Verification. Verification OK");

    // The same three commands the other way: menu, toolbar, menu.
    ClickMenu("&Configure", "Read Configuration from Printer");
    EXPECT_EQ(StatusText(), "End Reading Configuration.");
    ClickButton(kCmdWriteConfig);
    EXPECT_EQ(StatusText(), "End Configuration.");
    ClickMenu("&Configure", "Verify Configruation");
    EXPECT_EQ(StatusText(), "End Configuration Verification. Verification OK");

    ClickMenu("&Printer", "Reset Printer");
    EXPECT_NE(test::ReadFileBytes(trace).find("7E 78 FF"), std::string::npos) << "the reset reached the printer";
    // The demo printer holds a setting its options file does not list; writing says so, and
    // nothing failed.
    for (const std::string& caption : boxes.captions) EXPECT_EQ(caption, "Configuration Message");
}

TEST_F(MainFramePrinterTest, AReadThatFailsBeforeAnyValueLeavesTheListingAsItWas) {
    Start(test::SimulatorLine::Tcp);
    OpenDemo();
    const std::vector<std::string> before = ShownTexts();
    app_.CmdPort("/dev/ttyUSB9");  // no such port

    AnswerLineSettings();
    test::EveryBoxAnswered boxes;
    ClickButton(kCmdReadConfig);
    EXPECT_FALSE(boxes.texts.empty());
    EXPECT_EQ(ShownTexts(), before);
}

TEST_F(MainFramePrinterTest, AClosingDuringAReadIsSaidAtOnceAndOfferedWhenTheReadEnds) {
    Start(test::SimulatorLine::Tcp);
    std::vector<bool> closes;
    QString noteWhileRunning;
    bool visibleAfterTheClose = false;
    QTimer::singleShot(0, frame_.get(), [this] { StartFromToolbar(kCmdReadConfig); });
    QTimer::singleShot(300, frame_.get(), [&] {
        closes.push_back(frame_->close());
        visibleAfterTheClose = frame_->isVisible();
        noteWhileRunning = frame_->operationStatus()->text();
    });
    // Once the read has ended the changed configuration gets the question, and the window
    // closes, ending the event loop as the program's would end.
    std::string question;
    test::AnswerSaveQuestion(QMessageBox::Discard, &question);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QApplication::exit(1); });
    giveUp.start(test::kDialogWaitMs);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(closes, std::vector<bool>{false});
    EXPECT_TRUE(visibleAfterTheClose);
    EXPECT_TRUE(noteWhileRunning.contains(QStringLiteral("the window closes when it is done")))
        << noteWhileRunning.toStdString();
    EXPECT_NE(question.find("has changed"), std::string::npos) << question;
    EXPECT_EQ(StatusText(), "End Reading Configuration.");
}

TEST_F(MainFramePrinterTest, DuringAReadTheMenusOpenAndPrinterCommandsAreGreyedNotQueued) {
    const std::string trace = dir_.File("printer-trace.txt");
    Start(test::SimulatorLine::Tcp, {"--trace", trace});
    // What one read sends, to tell a second operation by.
    ClickButton(kCmdReadConfig);
    const std::string oneRead = test::ReadFileBytes(trace);
    const std::string preamble = "1B 79 02 1B 79 08 1B 7E 7E 01";
    auto count = [&preamble](const std::string& bytes) {
        size_t n = 0;
        for (size_t at = bytes.find(preamble); at != std::string::npos; at = bytes.find(preamble, at + 1)) ++n;
        return n;
    };
    ASSERT_GT(count(oneRead), 0u);

    StartFromToolbar(kCmdReadConfig);
    test::Activate(*frame_);
    QTest::keyClick(frame_.get(), Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 2000));
    EXPECT_EQ(QApplication::activePopupWidget(), test::MenuTitled(*frame_, "&File")->menu());
    EXPECT_TRUE(frame_->busy()) << "the menu opened while the read ran";
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);

    for (int id : {kCmdWriteConfig, kCmdVerifyConfig, kCmdFileOpen, kCmdEditConfig, kCmdSelectPort})
        EXPECT_FALSE(frame_->Command(id)->isEnabled()) << id;
    for (int id : {kCmdHelp, kCmdAbout, kCmdViewToolbar}) EXPECT_TRUE(frame_->Command(id)->isEnabled()) << id;
    ClickToolButton(*frame_->toolBar(), frame_->Command(kCmdWriteConfig));
    ClickMenuItem(*frame_, "&Configure", "Write Configuration to Printer");
    WaitUntilIdle();
    // Let anything queued run; nothing is.
    QTest::qWait(300);
    EXPECT_FALSE(frame_->busy());
    const std::string all = test::ReadFileBytes(trace);
    EXPECT_EQ(count(all), 2 * count(oneRead)) << "two reads and nothing else reached the printer";
    EXPECT_EQ(all.find("1B 7E 7E FF"), std::string::npos) << "no write's closing command";
    EXPECT_TRUE(frame_->Command(kCmdWriteConfig)->isEnabled());
}

TEST_F(MainFramePrinterTest, CancelDuringAReadLeavesTheConfigurationAsItWas) {
    Start(test::SimulatorLine::Tcp);
    OpenDemo();
    const std::vector<std::string> shownBefore = ShownTexts();
    const std::vector<std::string> settingsBefore = Settings();
    const bool modifiedBefore = app_.model().modified;

    test::EveryBoxAnswered boxes;
    StartFromToolbar(kCmdReadConfig);
    QString barText;
    QProgressBar* bar = frame_->operationStatus()->bar();
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [bar, &barText] {
        if (barText.isEmpty() && bar->value() >= 2) barText = bar->text();
    });
    CancelAfter(3);
    WaitUntilIdle();
    // The bar counts the settings read, not a percentage.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[2-9] of [1-9][0-9]$")).match(barText).hasMatch())
        << barText.toStdString();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind("Read cancelled after ", 0), 0u) << boxes.texts[0];
    EXPECT_NE(boxes.texts[0].find("the configuration is kept as it was before the read."), std::string::npos);
    EXPECT_EQ(Settings(), settingsBefore);
    EXPECT_EQ(app_.model().modified, modifiedBefore);
    EXPECT_EQ(ShownTexts(), shownBefore);
    EXPECT_FALSE(frame_->operationStatus()->isVisible());

    // The port was closed as after a failure: the next read runs whole.
    ClickButton(kCmdReadConfig);
    EXPECT_EQ(StatusText(), "End Reading Configuration.");
}

TEST_F(MainFramePrinterTest, CancelDuringAWriteSaysThePrinterHoldsAMixture) {
    Start(test::SimulatorLine::Tcp);
    OpenDemo();
    test::EveryBoxAnswered boxes;
    StartFromToolbar(kCmdWriteConfig);
    CancelAfter(5);
    WaitUntilIdle();
    ASSERT_FALSE(boxes.texts.empty());
    const std::string& report = boxes.texts.back();
    EXPECT_EQ(report.rfind("Write cancelled after ", 0), 0u) << report;
    EXPECT_NE(report.find(" settings: the printer holds a mixture; write again or verify"), std::string::npos)
        << report;
}

// The printer goes away after some values came: the configuration stays as it was before the
// read, whole, and the user is told the read was not complete.
TEST_F(MainFramePrinterTest, AReadThatFailsHalfWayKeepsTheConfigurationAsItWasAndSaysSo) {
    Start(test::SimulatorLine::Tcp, {"--fault-drop-after", "80"});
    OpenDemo();
    SettingsTable& settings = app_.model().settings;
    for (SettingRow& row : settings)
        if (row.name == "Print_Mode") row.value = 2;  // the printer holds 0
    app_.model().modified = true;
    frame_->RefreshView();
    const SettingsTable before = settings;
    const std::vector<std::string> shownBefore = ShownTexts();

    test::EveryBoxAnswered boxes;
    ClickButton(kCmdReadConfig);

    EXPECT_TRUE(app_.model().settings == before);
    EXPECT_EQ(ShownTexts(), shownBefore);
    EXPECT_EQ(app_.model().configFilePath, dir_.File("rpdemo.cfg"));
    EXPECT_TRUE(app_.model().modified);
    ASSERT_FALSE(boxes.texts.empty());
    EXPECT_EQ(boxes.texts.back(),
              "The configuration was not read completely from the printer; it is kept as it was before the read.");
}

// A close during a read waits for the read's end, then comes with the save question the read's
// changes bring: Cancel keeps the window, Discard closes it and ends the event loop.
TEST_F(MainFramePrinterTest, ACloseDuringAPrinterCommandIsOfferedWhenItEnds) {
    Start(test::SimulatorLine::Tcp);
    for (QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::Discard}) {
        SCOPED_TRACE(answer == QMessageBox::Cancel ? "Cancel" : "Discard");
        std::vector<bool> closes;
        // The printer's waits let window events through, a close among them.
        QTimer::singleShot(300, frame_.get(), [this, &closes] { closes.push_back(frame_->close()); });
        ClickButton(kCmdReadConfig);
        EXPECT_EQ(closes, std::vector<bool>{false});
        EXPECT_TRUE(frame_->isVisible());
        EXPECT_EQ(StatusText(), "End Reading Configuration.");
        EXPECT_TRUE(app_.model().modified) << "a read leaves the configuration modified, close or not";

        std::string question;
        test::AnswerSaveQuestion(answer, &question);
        QTimer giveUp;
        giveUp.setSingleShot(true);
        QObject::connect(&giveUp, &QTimer::timeout, [] { QApplication::exit(1); });
        if (answer == QMessageBox::Cancel) {
            // The question comes by itself once the read is done; after Cancel the window stays.
            ASSERT_TRUE(QTest::qWaitFor([&question] { return !question.empty(); }, test::kDialogWaitMs));
            QTest::qWait(50);
            EXPECT_TRUE(frame_->isVisible());
            EXPECT_TRUE(app_.model().modified);
        } else {
            giveUp.start(test::kDialogWaitMs);
            EXPECT_EQ(QApplication::exec(), 0);
            EXPECT_FALSE(frame_->isVisible());
        }
        EXPECT_EQ(question, "File:  has changed. Save it to disk now?");
    }
}

TEST_F(MainFramePrinterTest, DetectBaudRateFindsTheRateOfASerialPrinter) {
    Start(test::SimulatorLine::Pty);
    std::string report;
    AnswerLineSettings();
    AnswerBox(Qt::Key_Return, &report);
    ClickMenu("&Printer", "Detect Printer Baud Rate");
    EXPECT_EQ(report, "Baud rate detected: 9600");
}

// What the port dialog showed while its "Detect baud rate." ran, and after.
struct DetectionSeen {
    QString whileRunning;  // the rate tried, as the dialog showed it
    int barValue = -1;
    int barMaximum = -1;
    bool othersUsable = true;  // OK, Cancel, the port and the serial buttons
    bool openAfterOk = false;  // OK clicked meanwhile
    QString afterCancel;       // at once after the detection's Cancel, while it still ran
    bool cancelledWhileRunning = false;
    bool statusShownAfter = true;
    bool buttonsBackAfter = false;
    std::string box;
};

// Opens the port dialog from the menu, clicks "Detect baud rate." and watches the dialog until a
// rate past the first is tried; then clicks OK and, with `cancel`, the detection's Cancel.
// Afterwards the dialog is closed with its Cancel.
DetectionSeen DetectFromThePortDialog(CMainFrame& frame, bool cancel) {
    DetectionSeen seen;
    AnswerBox(Qt::Key_Return, &seen.box);
    test::WhenShownAfterWaits<CSelectPortDlg>([&seen, cancel](CSelectPortDlg& dialog) {
        OperationStatus* status = dialog.operationStatus();
        auto* ok = dialog.findChild<QPushButton*>("ok");
        auto* close = dialog.findChild<QPushButton*>("cancel");
        auto* detect = dialog.findChild<QPushButton*>("id1054");
        auto* setup = dialog.findChild<QPushButton*>("id1055");
        auto* port = dialog.findChild<QComboBox*>("id1000");
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!status->isVisible() || !status->text().contains(QStringLiteral("Trying "))) return;
            if (seen.whileRunning.isEmpty() || (cancel && status->bar()->value() < 1)) {
                seen.whileRunning = status->text();
                seen.barValue = status->bar()->value();
                seen.barMaximum = status->bar()->maximum();
                seen.othersUsable = ok->isEnabled() || close->isEnabled() || detect->isEnabled() ||
                                    setup->isEnabled() || port->isEnabled();
                if (!cancel) watch.stop();
                return;
            }
            watch.stop();
            seen.whileRunning = status->text();
            seen.barValue = status->bar()->value();
            QTest::mouseClick(ok, Qt::LeftButton);
            seen.openAfterOk = dialog.isVisible();
            QTest::mouseClick(status->cancelButton(), Qt::LeftButton);
            seen.afterCancel = status->text();
            seen.cancelledWhileRunning = status->isVisible();
        });
        watch.start(test::kDialogPollMs);
        // Returns once the detection has ended; the dialog answered meanwhile.
        QTest::mouseClick(detect, Qt::LeftButton);
        seen.statusShownAfter = status->isVisible();
        seen.buttonsBackAfter = ok->isEnabled() && close->isEnabled() && detect->isEnabled();
        QTest::mouseClick(close, Qt::LeftButton);
    });
    test::ClickMenuItem(frame, "&Printer", "Select Port...");
    return seen;
}

TEST_F(MainFramePrinterTest, ThePortDialogsDetectionShowsTheRateTriedBesideTheDialogAndReportsTheRate) {
    Start(test::SimulatorLine::Pty, {"--baud", "19200"});
    const std::string inUse = app_.model().portName;
    AnswerLineSettings();
    DetectionSeen seen = DetectFromThePortDialog(*frame_, false);
    WaitUntilIdle();

    EXPECT_EQ(seen.whileRunning, "Detecting the printer's baud rate: Trying 9600 baud");
    EXPECT_EQ(seen.barMaximum, 8);
    EXPECT_FALSE(seen.othersUsable);
    EXPECT_EQ(seen.box, "Baud rate detected: 19200");
    EXPECT_FALSE(seen.statusShownAfter);
    EXPECT_TRUE(seen.buttonsBackAfter);
    EXPECT_EQ(app_.model().portName, inUse);
    EXPECT_EQ(test::ShownDialog<CSelectPortDlg>(), nullptr);
}

TEST_F(MainFramePrinterTest, ThePortDialogsDetectionStopsOnItsCancelAndTheDialogStaysUntilItHasStopped) {
    Start(test::SimulatorLine::Pty, {"--baud", "300"});
    AnswerLineSettings();
    DetectionSeen seen = DetectFromThePortDialog(*frame_, true);
    WaitUntilIdle();

    EXPECT_TRUE(seen.whileRunning.startsWith("Detecting the printer's baud rate: Trying "))
        << seen.whileRunning.toStdString();
    EXPECT_GE(seen.barValue, 1);
    EXPECT_FALSE(seen.othersUsable);
    EXPECT_TRUE(seen.openAfterOk) << "OK waits for the detection";
    EXPECT_EQ(seen.afterCancel, "Detecting the printer's baud rate: cancelling...");
    EXPECT_TRUE(seen.cancelledWhileRunning) << "the Cancel was taken while the detection ran";
    EXPECT_EQ(seen.box.rfind("Baud rate detection cancelled after ", 0), 0u) << seen.box;
    EXPECT_EQ(seen.box.find("after 8 of 8"), std::string::npos) << seen.box;
    EXPECT_FALSE(seen.statusShownAfter);
    EXPECT_TRUE(seen.buttonsBackAfter);
    EXPECT_EQ(test::ShownDialog<CSelectPortDlg>(), nullptr);
}

TEST_F(MainFramePrinterTest, SetupSerialPortSaysANetworkPrinterHasNoSerialLine) {
    Start(test::SimulatorLine::Tcp);
    std::string report;
    AnswerBox(Qt::Key_Return, &report);
    ClickMenu("&Printer", "Setup Serial Port...");
    EXPECT_EQ(report, "Setup is only done on standard serial ports.");
}

TEST_F(MainFramePrinterTest, PrinterFilesHidesTheWindowWhileTheFileManagerIsShown) {
    Start(test::SimulatorLine::Tcp);
    bool hiddenWhileShown = false;
    test::WhenShownAfterWaits<CPrinterFilesDlg>([&](CPrinterFilesDlg& dialog) {
        hiddenWhileShown = !frame_->isVisible();
        QTest::mouseClick(dialog.Button(CPrinterFilesDlg::kIdDone), Qt::LeftButton);
    });
    ClickMenu("&Printer", "Printer Files ...");
    EXPECT_TRUE(hiddenWhileShown);
    EXPECT_TRUE(frame_->isVisible());
}

// The dialog opens at once, says the boot loader is being asked, and offers the choice once the
// answers are in.
TEST_F(MainFramePrinterTest, TheFlashButtonOfAConfigurationWithAFirmwareIdShowsTheBootLoadersDialog) {
    Start(test::SimulatorLine::Tcp, {"--boot", "--boot-loader", "SIMBL 2.0"});
    OpenDemo();
    ASSERT_TRUE(frame_->Command(kCmdFlashFirmware)->isVisible());

    // The dialog as it first shows; the choice runs a loop of its own, so both are watched from
    // timers.
    QPointer<CFlashDlg> firstShown;
    QString firstLine;
    QString firstBootLoader;
    bool firstOffersChoice = true;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        CFlashDlg* dialog = test::ShownDialog<CFlashDlg>();
        if (!dialog) return;
        watch.stop();
        firstShown = dialog;
        auto* line = dialog->findChild<QLabel*>("progressText");
        firstLine = line->isVisible() ? line->text() : QString();
        firstBootLoader = dialog->findChild<QLineEdit*>("field1056")->text();
        firstOffersChoice = test::OffersFlashChoice(*dialog);
    });
    watch.start(test::kDialogPollMs);
    std::vector<std::string> fields;
    bool sameDialog = false;
    bool lineShownWithChoice = true;
    test::WhenFlashChoiceOffered([&](CFlashDlg& dialog) {
        sameDialog = &dialog == firstShown.data();
        lineShownWithChoice = dialog.findChild<QLabel*>("progressText")->isVisible();
        for (QLineEdit* field : dialog.findChildren<QLineEdit*>()) fields.push_back(field->text().toStdString());
        test::Activate(dialog);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    ClickButton(kCmdFlashFirmware);

    EXPECT_EQ(firstLine, "Asking the printer's boot loader...");
    EXPECT_EQ(firstBootLoader, "") << "no answer yet";
    EXPECT_FALSE(firstOffersChoice);
    EXPECT_TRUE(sameDialog) << "the same dialog becomes the choice";
    EXPECT_FALSE(lineShownWithChoice);
    EXPECT_NE(std::find(fields.begin(), fields.end(), "RPD1_1*"), fields.end()) << "the configuration's firmware id";
    EXPECT_NE(std::find(fields.begin(), fields.end(), "SIMBL 2.0"), fields.end()) << "the boot loader's answer";
    EXPECT_EQ(test::ShownDialog<CFlashDlg>(), nullptr);
}

// An update that ends before the choice closes its dialog before the error box shows, so the
// box is never hidden behind it.
TEST_F(MainFramePrinterTest, APrinterNotInBootModeClosesTheFirmwareDialogBeforeItsBox) {
    Start(test::SimulatorLine::Tcp);
    OpenDemo();
    bool dialogSeen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (test::ShownDialog<CFlashDlg>()) dialogSeen = true;
    });
    watch.start(test::kDialogPollMs);
    std::string text;
    bool dialogBesideTheBox = true;
    test::WhenShownAfterWaits<QMessageBox>([&](QMessageBox& box) {
        text = box.text().toStdString();
        dialogBesideTheBox = test::ShownDialog<CFlashDlg>() != nullptr;
        test::Activate(box);
        QTest::keyClick(&box, Qt::Key_Return);
    });
    ClickButton(kCmdFlashFirmware);
    EXPECT_TRUE(dialogSeen) << "the dialog showed while the boot loader was asked";
    EXPECT_EQ(text, "Printer does not appear to be in Boot Load Mode!");
    EXPECT_FALSE(dialogBesideTheBox);
    EXPECT_EQ(test::ShownDialog<CFlashDlg>(), nullptr);
}

}  // namespace
}  // namespace varnel
