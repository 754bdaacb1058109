#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <stdexcept>

#include "MainWindowInput.h"
#include "PrinterFilesCommand.h"
#include "ShownDialog.h"
#include "app/CVarnelApp.h"
#include "app/SelectPortCommand.h"
#include "io/CommConfig.h"
#include "io/PortSettings.h"
#include "io/SettingsStore.h"
#include "support/FakeClock.h"
#include "support/FakeDeviceSource.h"
#include "support/FakePortBackend.h"
#include "support/FakeSerialPrinter.h"
#include "support/MemorySettingsStore.h"
#include "support/ScratchDir.h"
#include "ui/CSelectPortDlg.h"
#include "ui/QtUserInterface.h"

namespace varnel {
namespace {

QComboBox* PortBox(QDialog& dialog) { return dialog.findChild<QComboBox*>("id1000"); }
QPushButton* Button(QDialog& dialog, const char* name) { return dialog.findChild<QPushButton*>(name); }

QStringList Items(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
    return items;
}

// Replaces the combo box's text as a user does: select all, type.
void TypePort(QComboBox& box, const QString& text) {
    QTest::keyClick(box.lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box.lineEdit(), text);
}

// The Select Port command of the application with the Qt dialogs, on a fake line with a serial
// printer at 19200 baud behind it.
class SelectPortCommandTest : public ::testing::Test {
protected:
    SelectPortCommandTest() {
        dir.Enter();
        backend->clock = &clock;
        backend->responder = test::AnswerBaudProbeAt(19200);
    }

    // Runs the command; `act` works the dialog while it is shown and must close it.
    void Run(const std::function<void(CSelectPortDlg&)>& act) {
        test::WhenShown<CSelectPortDlg>(act);
        SelectPort(app, devices);
        EXPECT_EQ(test::ShownDialog<CSelectPortDlg>(), nullptr);
    }

    test::ScratchDir dir;
    test::MemorySettingsStore store;
    test::FakeClock clock;
    QtUserInterface ui;
    std::unique_ptr<test::FakePortBackend> owned = std::make_unique<test::FakePortBackend>();
    test::FakePortBackend* backend = owned.get();
    CVarnelApp app{store, clock, ui, nullptr, std::move(owned)};
    test::FakeDeviceSource devices;
};

TEST_F(SelectPortCommandTest, APortDiscoveryDidNotFindStaysSelectedUnderALabelAndEnterKeepsIt) {
    for (const char* current : {"/dev/pts/7", "10.0.0.5:9100"}) {
        SCOPED_TRACE(current);
        app.model().portName = current;
        devices.printerPorts = {"/dev/ttyUSB0", "/dev/ttyS0"};
        bool accepted = false;
        Run([&](CSelectPortDlg& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Select Communication Port");
            QComboBox* box = PortBox(dialog);
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(Items(*box).contains(current));
            EXPECT_EQ(box->count(), 3);
            EXPECT_EQ(box->currentText(), current);
            QLabel* label = nullptr;
            for (QLabel* candidate : dialog.findChildren<QLabel*>())
                if (candidate->buddy() == box) label = candidate;
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->text(), "&Port:");
            QTest::keyClick(box->lineEdit(), Qt::Key_Return);
            accepted = dialog.result() == QDialog::Accepted;
        });
        EXPECT_TRUE(accepted);
        EXPECT_EQ(app.model().portName, current);
    }
}

TEST_F(SelectPortCommandTest, TypingAPortAndClickingOkSetsItAndTheTitle) {
    app.model().portName = "COM1";
    devices.printerPorts = {"COM1:", "COM1:", "LPT1:"};
    Run([](CSelectPortDlg& dialog) {
        QComboBox* box = PortBox(dialog);
        EXPECT_EQ(Items(*box), (QStringList{"COM1:", "LPT1:"}));
        EXPECT_EQ(box->currentText(), "COM1:");
        TypePort(*box, "COM4");
        EXPECT_TRUE(Button(dialog, "id1054")->isEnabled());
        EXPECT_TRUE(Button(dialog, "id1055")->isEnabled());
        TypePort(*box, "LPT1");
        EXPECT_FALSE(Button(dialog, "id1054")->isEnabled());
        EXPECT_FALSE(Button(dialog, "id1055")->isEnabled());
        QTest::mouseClick(Button(dialog, "ok"), Qt::LeftButton);
    });
    EXPECT_EQ(app.model().portName, "LPT1");
    EXPECT_TRUE(app.WindowTitle().ends_with("Port: [LPT1]")) << app.WindowTitle();
}

TEST_F(SelectPortCommandTest, CancelKeepsThePortAnotherEntryWasChosen) {
    app.model().portName = "COM1";
    devices.printerPorts = {"COM1:", "COM2:"};
    Run([](CSelectPortDlg& dialog) {
        QTest::keyClick(PortBox(dialog), Qt::Key_Down);
        EXPECT_EQ(PortBox(dialog)->currentText(), "COM2:");
        QTest::mouseClick(Button(dialog, "cancel"), Qt::LeftButton);
    });
    EXPECT_EQ(app.model().portName, "COM1");
}

TEST_F(SelectPortCommandTest, SetupSerialPortStoresTheLineChosenAndEscapeKeepsThePortInUse) {
    app.model().portName = "COM1";
    devices.printerPorts = {"COM1:", "COM2:"};
    test::StorePlainLine(store);
    std::string titleWhileOpen;
    Run([&](CSelectPortDlg& dialog) {
        QTest::keyClick(PortBox(dialog), Qt::Key_Down);
        test::WhenShown<QDialog>(
            [](QDialog& line) {
                EXPECT_EQ(line.windowTitle(), "COM2 Properties");
                auto* baud = line.findChild<QComboBox*>("baud");
                EXPECT_EQ(baud->currentText(), "9600");
                TypePort(*baud, "38400");
                QTest::keyClick(baud, Qt::Key_Return);
            },
            "CommConfigDialog");
        QTest::mouseClick(Button(dialog, "id1055"), Qt::LeftButton);
        EXPECT_TRUE(Button(dialog, "cancel")->isEnabled());
        EXPECT_TRUE(dialog.isVisible());
        titleWhileOpen = app.WindowTitle();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_TRUE(titleWhileOpen.ends_with("Port: [COM1]")) << titleWhileOpen;
    EXPECT_EQ(app.model().portName, "COM1");
    auto after = store.GetValue(kPortSettingsKey, "Comm Data");
    ASSERT_TRUE(after);
    EXPECT_EQ(CommConfig::FromBytes(after->data).dcb.BaudRate, 38400u);
}

// The rate is detected on the port shown; the port in use changes with OK and only then.
TEST_F(SelectPortCommandTest, DetectBaudRateShowsTheRateFoundAndOnlyOkTakesThePort) {
    for (const char* closing : {"ok", "cancel"}) {
        SCOPED_TRACE(closing);
        app.model().portName = "/dev/ttyS1";
        devices.printerPorts = {"/dev/ttyS1", "/dev/ttyS2"};
        test::StorePlainLine(store);
        QString box;
        std::string titleAfterDetection;
        Run([&](CSelectPortDlg& dialog) {
            QTest::keyClick(PortBox(dialog), Qt::Key_Down);
            EXPECT_EQ(PortBox(dialog)->currentText(), "/dev/ttyS2");
            // The detection runs beside the dialog: its box shows once the rate is found.
            test::WhenShownAfterWaits<QMessageBox>([&](QMessageBox& message) {
                box = message.text();
                QTest::keyClick(&message, Qt::Key_Return);
            });
            QTest::mouseClick(Button(dialog, "id1054"), Qt::LeftButton);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_TRUE(Button(dialog, "cancel")->isEnabled());
            titleAfterDetection = app.WindowTitle();
            QTest::mouseClick(Button(dialog, closing), Qt::LeftButton);
        });
        EXPECT_EQ(box, "Baud rate detected: 19200");
        EXPECT_TRUE(titleAfterDetection.ends_with("Port: [/dev/ttyS1]")) << titleAfterDetection;
        EXPECT_EQ(app.model().portName, std::string(closing) == "ok" ? "/dev/ttyS2" : "/dev/ttyS1");
    }
}

// A failure the detection throws beside the dialog closes the dialog and goes on to the command
// that showed it, on the dialog's thread, as any other failure of a command.
TEST_F(SelectPortCommandTest, AFailureThrownDuringTheDetectionLeavesThroughTheCommand) {
    app.model().portName = "/dev/ttyS1";
    test::StorePlainLine(store);
    backend->responder = [](test::FakePortBackend&, const std::string&) { throw std::runtime_error("line lost"); };
    bool visibleAfterTheClick = true;
    test::WhenShown<CSelectPortDlg>([&](CSelectPortDlg& dialog) {
        QTest::mouseClick(Button(dialog, "id1054"), Qt::LeftButton);
        visibleAfterTheClick = dialog.isVisible();
    });
    EXPECT_THROW(SelectPort(app, devices), std::runtime_error);
    EXPECT_FALSE(visibleAfterTheClick);
    EXPECT_EQ(test::ShownDialog<CSelectPortDlg>(), nullptr);
    EXPECT_EQ(app.model().portName, "/dev/ttyS1");
    EXPECT_EQ(app.operationMonitor(), nullptr);
}

TEST_F(SelectPortCommandTest, TheFileManagersCommPortButtonOpensTheSameDialogOverIt) {
    app.model().portName = "127.0.0.1:9100";
    // A printer without files: the file list is empty.
    backend->responder = [](test::FakePortBackend& port, const std::string& written) {
        if (written == "\x1B" "fI") port.QueueReply(std::string(1, '\0'));
    };
    bool overFileManager = false;
    test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& files) {
        test::WhenShown<CSelectPortDlg>([&](CSelectPortDlg& dialog) {
            overFileManager = dialog.parentWidget() == &files;
            EXPECT_EQ(PortBox(dialog)->currentText(), "127.0.0.1:9100");
            TypePort(*PortBox(dialog), "127.0.0.1:9101");
            QTest::keyClick(PortBox(dialog)->lineEdit(), Qt::Key_Return);
        });
        QTest::mouseClick(files.Button(CPrinterFilesDlg::kIdCommPort), Qt::LeftButton);
        QTest::mouseClick(files.Button(CPrinterFilesDlg::kIdDone), Qt::LeftButton);
    });
    EXPECT_TRUE(overFileManager);
    EXPECT_EQ(app.model().portName, "127.0.0.1:9101");
}

}  // namespace
}  // namespace varnel
