#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/PortDiscovery.h"
#include "io/PortSettings.h"
#include "io/UdevDeviceSource.h"
#include "support/FakeDeviceSource.h"
#include "support/MemorySettingsStore.h"

namespace varnel {
namespace {

using test::FakeDeviceSource;

// The list as the port dialog asks for it: positions 0, 1, ... up to the first empty name.
std::vector<std::string> WholeList(const DeviceSource& devices, const SettingsStore& store) {
    std::vector<std::string> names;
    for (int position = 0; position < kMaxPortListNames; ++position) {
        std::string name = GetPortListEntry(position, devices, store);
        if (name.empty()) break;
        names.push_back(name);
    }
    return names;
}

void StoreTcpList(test::MemorySettingsStore& store, std::string list) {
    list.resize(kTcpListSize, '\0');
    store.SetValue(kPortSettingsKey, "TCP", RegValue::Binary(list));
}

using Names = std::vector<std::string>;

TEST(PortDiscoveryTest, PrinterPortsThenUsbSerialThenNetworkWithSkippedNamesLeftOut) {
    FakeDeviceSource devices;
    devices.printerPorts = {"COM1:", "LPT1:", "FILE:", "USB001", "file2", "usb002", "/dev/ttyS0"};
    devices.usbSerialPorts = {"COM7", "/dev/ttyACM0"};
    test::MemorySettingsStore store;
    StoreTcpList(store, " 10.1.2.3:9100 10.1.2.4:9100");

    EXPECT_EQ(WholeList(devices, store), (Names{"COM1:", "LPT1:", "usb002", "/dev/ttyS0", "COM7:", "/dev/ttyACM0",
                                                "10.1.2.3:9100", "10.1.2.4:9100"}));
}

TEST(PortDiscoveryTest, NoUsbInterfacesLetsTheNetworkListFollowDirectly) {
    FakeDeviceSource devices;
    devices.printerPorts = {"COM1:"};
    test::MemorySettingsStore store;
    StoreTcpList(store, "127.0.0.1:9100");

    EXPECT_EQ(WholeList(devices, store), (Names{"COM1:", "127.0.0.1:9100"}));
    EXPECT_EQ(GetPortListEntry(2, devices, store), "");
}

TEST(PortDiscoveryTest, FiftyNamesAreExaminedOverAllSourcesSkippedOnesCounted) {
    FakeDeviceSource devices;
    // 10 skipped names and 38 listed ones use 48 of the 50; two USB ports fill the rest.
    for (int i = 0; i < 10; ++i) devices.printerPorts.push_back("FILE" + std::to_string(i));
    for (int i = 0; i < 38; ++i) devices.printerPorts.push_back("/dev/ttyS" + std::to_string(i));
    devices.usbSerialPorts = {"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyACM2"};
    test::MemorySettingsStore store;
    StoreTcpList(store, "10.0.0.1:9100");

    Names names = WholeList(devices, store);
    ASSERT_EQ(names.size(), 40u);
    EXPECT_EQ(names[37], "/dev/ttyS37");
    EXPECT_EQ(names[38], "/dev/ttyACM0");
    EXPECT_EQ(names[39], "/dev/ttyACM1");
}

TEST(PortDiscoveryTest, PrinterPortsBeyondFiftyAreNotExamined) {
    FakeDeviceSource devices;
    for (int i = 0; i < 60; ++i) devices.printerPorts.push_back("/dev/lp" + std::to_string(i));
    devices.usbSerialPorts = {"/dev/ttyACM0"};
    test::MemorySettingsStore store;

    Names names = WholeList(devices, store);
    ASSERT_EQ(names.size(), 50u);
    EXPECT_EQ(names.back(), "/dev/lp49");
    EXPECT_EQ(GetPortListEntry(50, devices, store), "");
}

TEST(PortDiscoveryTest, UsbComPortByIndex) {
    FakeDeviceSource devices;
    devices.usbSerialPorts = {"/dev/ttyACM0", "/dev/ttyACM1"};
    EXPECT_EQ(GetUsbComPort(0, devices), "/dev/ttyACM0");
    EXPECT_EQ(GetUsbComPort(1, devices), "/dev/ttyACM1");
    EXPECT_EQ(GetUsbComPort(2, devices), "");
    EXPECT_EQ(GetUsbComPort(-1, devices), "");
}

TEST(PortDiscoveryTest, NetworkEntriesSplitAtRunsOfSpaces) {
    struct Case {
        const char* stored;
        Names expected;
    } cases[] = {
        {" 10.1.2.3:9100 10.1.2.4:9100", {"10.1.2.3:9100", "10.1.2.4:9100"}},
        {"a   b ", {"a", "b"}},
        {"   ", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        test::MemorySettingsStore store;
        StoreTcpList(store, c.stored);
        Names pieces;
        for (int k = 0;; ++k) {
            std::string piece = GetNetworkPortEntry(k, store);
            if (piece.empty()) break;
            pieces.push_back(piece);
        }
        EXPECT_EQ(pieces, c.expected) << "\"" << c.stored << "\"";
    }
}

TEST(PortDiscoveryTest, NetworkListMissingOrTooLongGivesNothing) {
    test::MemorySettingsStore store;
    EXPECT_EQ(GetNetworkPortEntry(0, store), "");

    store.SetValue(kPortSettingsKey, "TCP", RegValue::Binary(std::string(kTcpListSize + 1, 'x')));
    EXPECT_EQ(GetNetworkPortEntry(0, store), "");

    // A string value counts its terminator: 999 characters fit, 1000 do not.
    store.SetValue(kPortSettingsKey, "TCP", RegValue::String(std::string(kTcpListSize - 1, 'y')));
    EXPECT_EQ(GetNetworkPortEntry(0, store), std::string(kTcpListSize - 1, 'y'));
    store.SetValue(kPortSettingsKey, "TCP", RegValue::String(std::string(kTcpListSize, 'y')));
    EXPECT_EQ(GetNetworkPortEntry(0, store), "");
}

// The real enumeration runs on any machine, with or without such devices, and gives paths.
TEST(PortDiscoveryTest, RealUdevEnumerationGivesDevicePaths) {
    UdevDeviceSource devices;
    for (const std::string& port : devices.PrinterPorts()) EXPECT_TRUE(port.starts_with("/dev/")) << port;
    for (const std::string& port : devices.UsbSerialPorts()) EXPECT_TRUE(port.starts_with("/dev/")) << port;
    test::MemorySettingsStore store;
    Names names = WholeList(devices, store);
    EXPECT_LE(names.size(), static_cast<size_t>(kMaxPortListNames));
}

}  // namespace
}  // namespace varnel
