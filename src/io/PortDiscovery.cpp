#include "io/PortDiscovery.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "base/AsciiText.h"
#include "io/NetworkPortList.h"
#include "io/PortSettings.h"
#include "io/SettingsStore.h"
#include "io/UdevDeviceSource.h"

namespace varnel {
namespace {

constexpr std::string_view kSkippedUsbPrefix = "USB0";   // exact case
constexpr std::string_view kSkippedFilePrefix = "FILE";  // any case
constexpr std::string_view kTcpListValue = "TCP";
constexpr std::string_view kComPrefix = "COM";

bool IsSkippedPrinterPort(std::string_view name) {
    return name.starts_with(kSkippedUsbPrefix) || StartsWithIgnoreCase(name, kSkippedFilePrefix);
}

// A COM name is listed with the ':' the spooler writes; a native path would not open with one.
std::string AsListEntry(const std::string& usbPort) {
    return usbPort.starts_with(kComPrefix) ? usbPort + ":" : usbPort;
}

}  // namespace

std::string GetPortListEntry(int position, const DeviceSource& devices, const SettingsStore& store) {
    int count = 0;
    int examined = 0;

    for (const std::string& name : devices.PrinterPorts()) {
        if (examined >= kMaxPortListNames || name.empty()) break;
        ++examined;
        if (IsSkippedPrinterPort(name)) continue;
        if (count == position) return name;
        ++count;
    }
    for (int k = 0; examined < kMaxPortListNames; ++k) {
        std::string port = GetUsbComPort(k, devices);
        if (port.empty()) break;
        if (count == position) return AsListEntry(port);
        ++count;
        ++examined;
    }
    for (int k = 0; examined < kMaxPortListNames; ++k) {
        std::string address = GetNetworkPortEntry(k, store);
        if (address.empty()) break;
        if (count == position) return address;
        ++count;
        ++examined;
    }
    return {};
}

std::string GetUsbComPort(int index, const DeviceSource& devices) {
    std::vector<std::string> ports = devices.UsbSerialPorts();
    if (index < 0 || static_cast<size_t>(index) >= ports.size()) return {};
    return ports[static_cast<size_t>(index)];
}

std::string GetNetworkPortEntry(int index, const SettingsStore& store) {
    auto value = store.GetValue(kPortSettingsKey, kTcpListValue);
    if (!value) return {};
    // A list longer than the 1000-byte buffer (its terminator counted) is not taken.
    size_t terminator = value->type == RegType::String ? 1 : 0;
    if (value->data.size() + terminator > kTcpListSize) return {};
    const std::vector<std::string> names = NetworkPortNames(value->data);
    if (index < 0 || static_cast<size_t>(index) >= names.size()) return {};
    return names[static_cast<size_t>(index)];
}

}  // namespace varnel
