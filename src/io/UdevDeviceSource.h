#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnel {

// The ports the system itself knows of, as native device paths. Port discovery asks it instead
// of the platform directly, so the order and limit rules can be tried on a made-up device list.
class DeviceSource {
public:
    virtual ~DeviceSource() = default;
    // Ports a printer can be reached on: serial ports with a real UART or a USB serial adapter,
    // parallel printer ports and USB printer nodes. Stands where the spooler's port list stood.
    virtual std::vector<std::string> PrinterPorts() const = 0;
    // Serial interfaces of the maker's USB printers (vendor fff3, product 2000, interface 00),
    // in a stable order.
    virtual std::vector<std::string> UsbSerialPorts() const = 0;
};

// The real device list, from libudev. Each list is enumerated once, at its first use, so a
// dialog asking entry by entry sees one consistent list; a new object sees devices plugged in
// since. A system without udev gives empty lists.
class UdevDeviceSource : public DeviceSource {
public:
    std::vector<std::string> PrinterPorts() const override;
    std::vector<std::string> UsbSerialPorts() const override;

private:
    mutable std::optional<std::vector<std::string>> printerPorts_;
    mutable std::optional<std::vector<std::string>> usbSerialPorts_;
};

}  // namespace varnel
