#pragma once

#include <string>
#include <vector>

#include "io/UdevDeviceSource.h"

namespace varnel::test {

// A made-up device list for port discovery: the system's printer ports and the maker's USB
// serial interfaces, as a test sets them.
class FakeDeviceSource : public DeviceSource {
public:
    std::vector<std::string> printerPorts;
    std::vector<std::string> usbSerialPorts;
    std::vector<std::string> PrinterPorts() const override { return printerPorts; }
    std::vector<std::string> UsbSerialPorts() const override { return usbSerialPorts; }
};

}  // namespace varnel::test
