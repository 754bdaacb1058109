#include "io/UdevDeviceSource.h"

#include <libudev.h>

#include <algorithm>
#include <memory>
#include <string_view>

#include "base/AsciiText.h"

namespace varnel {
namespace {

constexpr std::string_view kMakerVendorId = "fff3";
constexpr std::string_view kPrinterProductId = "2000";
constexpr std::string_view kSerialInterface = "00";
// A serial8250 placeholder without a UART behind it reports this port type.
constexpr std::string_view kUnknownUartType = "0";

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
using UdevPtr = std::unique_ptr<udev, UdevDeleter>;
using EnumeratePtr = std::unique_ptr<udev_enumerate, UdevDeleter>;
using DevicePtr = std::unique_ptr<udev_device, UdevDeleter>;

std::string_view Text(const char* text) { return text ? std::string_view(text) : std::string_view(); }

// Calls `visit` with every device of `subsystem` that has a device node.
template <typename Visit>
void ForEachDevice(udev* context, const char* subsystem, Visit visit) {
    EnumeratePtr enumerate(udev_enumerate_new(context));
    if (!enumerate) return;
    udev_enumerate_add_match_subsystem(enumerate.get(), subsystem);
    if (udev_enumerate_scan_devices(enumerate.get()) < 0) return;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        DevicePtr device(udev_device_new_from_syspath(context, udev_list_entry_get_name(entry)));
        if (!device || !udev_device_get_devnode(device.get())) continue;
        visit(device.get());
    }
}

// Virtual consoles and pseudo-terminals have no parent device; unused 8250 slots have a parent
// but no UART.
bool IsRealSerialPort(udev_device* tty) {
    if (!udev_device_get_parent(tty)) return false;
    std::string_view type = Text(udev_device_get_sysattr_value(tty, "type"));
    return type != kUnknownUartType;
}

bool IsMakerSerialInterface(udev_device* tty) {
    udev_device* interface = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_interface");
    if (!interface) return false;
    if (Text(udev_device_get_sysattr_value(interface, "bInterfaceNumber")) != kSerialInterface) return false;
    udev_device* usbDevice = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device");
    if (!usbDevice) return false;
    return EqualsIgnoreCase(Text(udev_device_get_sysattr_value(usbDevice, "idVendor")), kMakerVendorId) &&
           EqualsIgnoreCase(Text(udev_device_get_sysattr_value(usbDevice, "idProduct")), kPrinterProductId);
}

void SortAndDrop(std::vector<std::string>& paths) {
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
}

std::vector<std::string> EnumeratePrinterPorts() {
    std::vector<std::string> ports;
    UdevPtr context(udev_new());
    if (!context) return ports;
    ForEachDevice(context.get(), "tty", [&](udev_device* device) {
        if (IsRealSerialPort(device)) ports.emplace_back(udev_device_get_devnode(device));
    });
    // Parallel printer ports (lp) and USB printer nodes (usb/lp).
    ForEachDevice(context.get(), "printer", [&](udev_device* device) { ports.emplace_back(udev_device_get_devnode(device)); });
    ForEachDevice(context.get(), "usbmisc", [&](udev_device* device) {
        if (Text(udev_device_get_sysname(device)).starts_with("lp")) ports.emplace_back(udev_device_get_devnode(device));
    });
    SortAndDrop(ports);
    return ports;
}

std::vector<std::string> EnumerateUsbSerialPorts() {
    std::vector<std::string> ports;
    UdevPtr context(udev_new());
    if (!context) return ports;
    ForEachDevice(context.get(), "tty", [&](udev_device* device) {
        if (IsMakerSerialInterface(device)) ports.emplace_back(udev_device_get_devnode(device));
    });
    SortAndDrop(ports);
    return ports;
}

}  // namespace

std::vector<std::string> UdevDeviceSource::PrinterPorts() const {
    if (!printerPorts_) printerPorts_ = EnumeratePrinterPorts();
    return *printerPorts_;
}

std::vector<std::string> UdevDeviceSource::UsbSerialPorts() const {
    if (!usbSerialPorts_) usbSerialPorts_ = EnumerateUsbSerialPorts();
    return *usbSerialPorts_;
}

}  // namespace varnel
