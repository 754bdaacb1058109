#pragma once

#include "io/DescriptorBackend.h"

namespace varnel {

// A printer device node (/dev/usb/lpN, or any other path): non-blocking reads and writes bounded
// by poll, readiness from the printer class's status request.
class UsbPrinterBackend : public DescriptorBackend {
public:
    int DeviceStatusBytes() override;
};

}  // namespace varnel
