#include "io/ParallelBackend.h"

#include <linux/lp.h>
#include <sys/ioctl.h>

namespace varnel {
namespace {

constexpr uint8_t kPaperEmpty = 0x04;
constexpr uint8_t kOffLine = 0x08;
constexpr uint8_t kBusy = 0x40;
constexpr uint8_t kSelected = 0x80;

}  // namespace

uint8_t ParallelBackend::TranslateLpStatus(int lp) {
    uint8_t status = 0;
    const bool paperOut = (lp & LP_POUTPA) != 0;
    if (paperOut) status |= kPaperEmpty;
    // nFault is active low: a clear bit is a printer error, off line unless it is the paper.
    if (!(lp & LP_PERRORP) && !paperOut) status |= kOffLine;
    // The busy line arrives inverted: the bit is set while the printer is not busy.
    if (!(lp & LP_PBUSY)) status |= kBusy;
    if (lp & LP_PSELECD) status |= kSelected;
    return status;
}

std::optional<uint8_t> ParallelBackend::ParallelStatus() {
    if (!IsOpen()) {
        Unsupported();
        return std::nullopt;
    }
    int lp = 0;
    if (::ioctl(Fd(), LPGETSTATUS, &lp) != 0) {
        Failed();
        return std::nullopt;
    }
    return TranslateLpStatus(lp);
}

}  // namespace varnel
