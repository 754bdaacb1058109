#include "app/SelectPortCommand.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CVarnelApp.h"
#include "io/CommConfig.h"
#include "io/PortSettings.h"
#include "io/SettingsStore.h"
#include "support/FakeClock.h"
#include "support/FakeDeviceSource.h"
#include "support/FakePortBackend.h"
#include "support/FakeSerialPrinter.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingMonitor.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

using Names = std::vector<std::string>;

// The application on a fake line with a serial printer at 19200 baud behind it; the log goes to
// a scratch folder.
class SelectPortCommandTest : public ::testing::Test {
protected:
    SelectPortCommandTest() {
        dir.Enter();
        backend->clock = &clock;
        backend->responder = test::AnswerBaudProbeAt(kPrinterRate);
    }

    // Works the port dialog as a user would: presses `button` with `text` shown, then cancels.
    // `monitor`, when given, watches the button's command as the dialog would.
    void PressThenCancel(SerialButton button, const std::string& text, OperationMonitor* monitor = nullptr) {
        ui.portDialogAnswer = [button, text, monitor](PortDialogModel& dialog) -> std::optional<std::string> {
            dialog.RunSerialButton(button, text, monitor);
            return std::nullopt;
        };
    }

    static constexpr uint32_t kPrinterRate = 19200;
    test::ScratchDir dir;
    test::MemorySettingsStore store;
    test::FakeClock clock;
    test::RecordingUserInterface ui;
    std::unique_ptr<test::FakePortBackend> owned = std::make_unique<test::FakePortBackend>();
    test::FakePortBackend* backend = owned.get();
    CVarnelApp app{store, clock, ui, nullptr, std::move(owned)};
    test::FakeDeviceSource devices;
};

TEST_F(SelectPortCommandTest, OkSetsTheTextAsThePortAndTheTitleShowsIt) {
    app.model().portName = "COM1";
    devices.printerPorts = {"COM1:", "LPT1:"};
    ui.portDialogAnswer = [](PortDialogModel&) { return std::optional<std::string>("LPT1"); };

    SelectPort(app, devices);

    ASSERT_EQ(ui.portDialogs.size(), 1u);
    EXPECT_EQ(ui.portDialogs[0].ports, (Names{"COM1:", "LPT1:"}));
    EXPECT_EQ(ui.portDialogs[0].selected, 0);
    EXPECT_EQ(app.model().portName, "LPT1");
    EXPECT_TRUE(app.WindowTitle().ends_with("Port: [LPT1]")) << app.WindowTitle();
}

TEST_F(SelectPortCommandTest, CancelKeepsThePortInUseWhichTheListKeepsSelected) {
    app.model().portName = "/dev/pts/4";
    devices.printerPorts = {"/dev/ttyS0"};
    std::string list = " 127.0.0.1:9100";
    list.resize(kTcpListSize, '\0');
    store.SetValue(kPortSettingsKey, "TCP", RegValue::Binary(list));

    SelectPort(app, devices);

    ASSERT_EQ(ui.portDialogs.size(), 1u);
    EXPECT_EQ(ui.portDialogs[0].ports, (Names{"/dev/pts/4", "/dev/ttyS0", "127.0.0.1:9100"}));
    EXPECT_EQ(ui.portDialogs[0].selected, 0);
    EXPECT_EQ(app.model().portName, "/dev/pts/4");
}

TEST_F(SelectPortCommandTest, SetupSerialPortAsksForTheLineOfThePortShownAndCancelKeepsThePortInUse) {
    app.model().portName = "COM1";
    test::StorePlainLine(store);
    SerialLineSettings chosen;
    chosen.baudRate = 38400;
    ui.serialDialogResult = chosen;
    PressThenCancel(SerialButton::SetupSerialPort, "COM2:");

    SelectPort(app, devices);

    EXPECT_EQ(app.model().portName, "COM1") << "only OK changes the port";
    EXPECT_TRUE(app.WindowTitle().ends_with("Port: [COM1]")) << app.WindowTitle();
    EXPECT_EQ(ui.serialDialogs, Names{"COM2"});
    EXPECT_EQ(ui.serialDialogStarts.at(0).baudRate, 9600u);
    auto after = store.GetValue(kPortSettingsKey, "Comm Data");
    ASSERT_TRUE(after);
    EXPECT_EQ(CommConfig::FromBytes(after->data).dcb.BaudRate, 38400u);
    EXPECT_FALSE(backend->IsOpen());
}

TEST_F(SelectPortCommandTest, DetectBaudRateWorksOnThePortShownAndCancelKeepsThePortInUse) {
    app.model().portName = "LPT1";
    PressThenCancel(SerialButton::DetectBaudRate, "/dev/ttyS3");

    SelectPort(app, devices);

    EXPECT_EQ(app.model().portName, "LPT1");
    ASSERT_FALSE(backend->opens.empty());
    EXPECT_EQ(backend->opens.at(0).target, "/dev/ttyS3");
    ASSERT_FALSE(ui.statusTexts.empty());
    EXPECT_EQ(ui.statusTexts.front(), "Automatic Baud Rate detection in progress.");
    EXPECT_EQ(ui.boxes, Names{"Configuration Message: Baud rate detected: 19200"});
    EXPECT_EQ(app.model().detectedBaud, 19200);
}

// The dialog watches the detection it started: the rates tried go to it and its Cancel stops the
// detection between two rates; afterwards the application reports to no one again.
TEST_F(SelectPortCommandTest, DetectBaudRateShowsTheRatesTriedToTheDialogAndStopsOnItsCancel) {
    struct Case {
        const char* label;
        std::optional<size_t> cancelAfter;
        std::vector<std::string> steps;
        std::string box;
    } cases[] = {
        {"to the end", std::nullopt, {"Trying 9600 baud 0/8", "Trying 19200 baud 1/8"},
         "Configuration Message: Baud rate detected: 19200"},
        {"cancelled", 1, {"Trying 9600 baud 0/8"},
         "Configuration Message: Baud rate detection cancelled after 1 of 8 rates"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ui.boxes.clear();
        app.model().portName = "LPT1";
        test::RecordingMonitor monitor;
        monitor.cancelAfterSteps = c.cancelAfter;
        PressThenCancel(SerialButton::DetectBaudRate, "/dev/ttyS3", &monitor);

        SelectPort(app, devices);

        EXPECT_EQ(monitor.steps, c.steps);
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].rfind(c.box, 0), 0u) << ui.boxes[0];
        EXPECT_EQ(app.operationMonitor(), nullptr);
        EXPECT_EQ(app.model().portName, "LPT1");
        EXPECT_FALSE(backend->IsOpen());
    }
}

}  // namespace
}  // namespace varnel
