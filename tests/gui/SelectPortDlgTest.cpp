#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <memory>

#include "ShownDialog.h"
#include "app/CVarnelApp.h"
#include "io/PortSettings.h"
#include "io/UdevDeviceSource.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingUserInterface.h"
#include "ui/CSelectPortDlg.h"

namespace varnel {
namespace {

using Names = std::vector<std::string>;

std::function<std::string(int)> ListOf(Names names) {
    return [names](int position) {
        return static_cast<size_t>(position) < names.size() ? names[static_cast<size_t>(position)] : std::string();
    };
}

class FakeDeviceSource : public DeviceSource {
public:
    Names printerPorts;
    Names usbSerialPorts;
    Names PrinterPorts() const override { return printerPorts; }
    Names UsbSerialPorts() const override { return usbSerialPorts; }
};

TEST(SelectPortDlgTest, ThePortListHoldsEachNameOnceRegardlessOfCaseSorted) {
    EXPECT_EQ(CollectPortList(ListOf({"LPT1:", "COM1", "com1", "COM1", "10.0.0.1:9100"})),
              (Names{"10.0.0.1:9100", "COM1", "LPT1:"}));
    EXPECT_EQ(CollectPortList(ListOf({})), Names{});
    // Names after the first empty one are not asked for.
    EXPECT_EQ(CollectPortList(ListOf({"COM2", "", "COM3"})), Names{"COM2"});
}

TEST(SelectPortDlgTest, ThePortNameSelectsTheFirstEntryBeginningWithIt) {
    struct Case {
        Names ports;
        const char* portName;
        int expected;
    } cases[] = {
        {{"COM1", "COM10"}, "COM1", 0},
        {{"COM10", "COM2"}, "COM1", 0},
        {{"COM2", "LPT1:"}, "lpt1", 1},
        {{"COM2", "LPT1:"}, "10.0.0.9:9100", 0},
        {{}, "COM1", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(InitialPortIndex(c.ports, c.portName), c.expected) << c.portName;
}

TEST(SelectPortDlgTest, SerialButtonsOnlyForComNamesAndNativeSerialPaths) {
    struct Case {
        const char* name;
        bool serial;
    } cases[] = {
        {"COM1", true},         {"\\\\.\\COM3", true},   {"com1", false},         {"LPT1:", false},
        {"/dev/ttyUSB0", true}, {"/dev/pts/3", true},    {"/dev/usb/lp0", false}, {"/dev/lp0", false},
        {"10.0.0.1:9100", false}, {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSerialPortText(c.name), c.serial) << c.name;
        CSelectPortDlg dialog({c.name}, c.name, {});
        EXPECT_EQ(dialog.DetectButton()->isEnabled(), c.serial) << c.name;
        EXPECT_EQ(dialog.SetupButton()->isEnabled(), c.serial) << c.name;
    }
}

TEST(SelectPortDlgTest, OpensWithTheListAndTheCurrentPortSelected) {
    CSelectPortDlg dialog({"COM1", "COM10", "LPT1:"}, "COM1", {});
    EXPECT_EQ(dialog.windowTitle(), "Select Communication Port");
    EXPECT_EQ(dialog.PortBox()->count(), 3);
    EXPECT_TRUE(dialog.PortBox()->isEditable());
    EXPECT_EQ(dialog.PortBox()->currentText(), "COM1");
    EXPECT_TRUE(dialog.SetupButton()->isEnabled());
    dialog.PortBox()->setCurrentIndex(2);
    EXPECT_FALSE(dialog.SetupButton()->isEnabled());
    dialog.PortBox()->setEditText("COM4");
    EXPECT_TRUE(dialog.SetupButton()->isEnabled());
}

TEST(SelectPortDlgTest, SerialButtonsSetThePortRunTheirCommandAndDisableCancel) {
    struct Case {
        const char* button;
        const char* command;
    } cases[] = {{"detect", "detect"}, {"setup", "setup"}};
    for (const Case& c : cases) {
        std::vector<std::string> calls;
        CSelectPortDlg::Actions actions{[&](const std::string& port) { calls.push_back("port " + port); },
                                        [&] { calls.push_back("detect"); }, [&] { calls.push_back("setup"); }};
        CSelectPortDlg dialog({"COM1", "COM2"}, "COM2", actions);
        QPushButton* button = std::string(c.button) == "detect" ? dialog.DetectButton() : dialog.SetupButton();
        EXPECT_TRUE(dialog.CancelButton()->isEnabled());
        button->click();
        EXPECT_EQ(calls, (std::vector<std::string>{"port COM2", c.command}));
        EXPECT_FALSE(dialog.CancelButton()->isEnabled());
        EXPECT_EQ(dialog.result(), 0);  // still open
    }
}

class SelectPortCommand : public ::testing::Test {
protected:
    // Runs the Select Port command; `act` works the dialog while it is shown.
    void Run(const std::function<void(CSelectPortDlg&)>& act) {
        test::WhenShown<CSelectPortDlg>([&](CSelectPortDlg& dialog) {
            seen.clear();
            for (int i = 0; i < dialog.PortBox()->count(); ++i) seen.push_back(dialog.PortBox()->itemText(i).toStdString());
            act(dialog);
        });
        RunSelectPort(app, devices, nullptr, [] {}, [this] { ++setups; });
    }

    test::MemorySettingsStore store;
    test::FakeClock clock;
    test::RecordingUserInterface ui;
    CVarnelApp app{store, clock, ui, nullptr, std::make_unique<test::FakePortBackend>()};
    FakeDeviceSource devices;
    Names seen;
    int setups = 0;
};

TEST_F(SelectPortCommand, TypingAPortAndOkSetsItAndTheTitle) {
    app.model().portName = "COM1";
    devices.printerPorts = {"COM1:", "COM1:"};
    Run([](CSelectPortDlg& dialog) {
        dialog.PortBox()->setEditText("LPT1");
        dialog.accept();
    });
    EXPECT_EQ(seen, Names{"COM1:"});
    EXPECT_EQ(app.model().portName, "LPT1");
    EXPECT_TRUE(app.WindowTitle().ends_with("Port: [LPT1]")) << app.WindowTitle();
}

TEST_F(SelectPortCommand, CancelKeepsThePortUnlessASerialButtonSetIt) {
    app.model().portName = "COM1";
    devices.printerPorts = {"COM1:", "COM2:"};
    Run([](CSelectPortDlg& dialog) {
        dialog.PortBox()->setCurrentIndex(1);
        dialog.reject();
    });
    EXPECT_EQ(app.model().portName, "COM1");

    Run([](CSelectPortDlg& dialog) {
        dialog.PortBox()->setCurrentIndex(1);
        dialog.SetupButton()->click();
        EXPECT_FALSE(dialog.CancelButton()->isEnabled());
        dialog.reject();  // the window's close box
    });
    EXPECT_EQ(setups, 1);
    EXPECT_EQ(app.model().portName, "COM2:");
}

TEST_F(SelectPortCommand, TheStoredNetworkAddressesAreListed) {
    std::string list = " 127.0.0.1:9100";
    list.resize(kTcpListSize, '\0');
    store.SetValue(kPortSettingsKey, "TCP", RegValue::Binary(list));
    devices.usbSerialPorts = {"/dev/ttyACM0"};
    Run([](CSelectPortDlg& dialog) { dialog.reject(); });
    EXPECT_EQ(seen, (Names{"/dev/ttyACM0", "127.0.0.1:9100"}));
}

}  // namespace
}  // namespace varnel
