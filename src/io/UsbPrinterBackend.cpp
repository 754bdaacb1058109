#include "io/UsbPrinterBackend.h"

#include <linux/lp.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace varnel {
namespace {

constexpr int kStatusReplyBytes = 2;

}  // namespace

int UsbPrinterBackend::DeviceStatusBytes() {
    if (!IsOpen()) {
        Unsupported();
        return 0;
    }
    int status = 0;
    if (::ioctl(Fd(), LPGETSTATUS, &status) == 0) return kStatusReplyBytes;
    // A node without the request (a pseudo-terminal, a plain file) cannot say it is busy: ready.
    if (errno == ENOTTY) return kStatusReplyBytes;
    // ENODEV, EIO and the rest: the device answered nothing, it is gone.
    Failed();
    return 0;
}

}  // namespace varnel
