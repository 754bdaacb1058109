#include "io/ReadWaits.h"

#include <algorithm>
#include <limits>

namespace varnel {
namespace {

constexpr uint32_t kMaxDword = std::numeric_limits<uint32_t>::max();

}  // namespace

ReadWaits::ReadWaits(const CommTimeouts& t, size_t size, int64_t startMs) {
    const int64_t total = int64_t{t.ReadTotalTimeoutMultiplier} * static_cast<int64_t>(size) + t.ReadTotalTimeoutConstant;
    hasTotal_ = total > 0;
    deadlineMs_ = startMs + total;
    immediate_ = t.ReadIntervalTimeout == kMaxDword && !hasTotal_;
    if (t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != kMaxDword) intervalMs_ = t.ReadIntervalTimeout;
}

int64_t ReadWaits::Next(size_t got, int64_t nowMs) const {
    int64_t wait = kNoLimit;
    if (immediate_) wait = 0;
    if (hasTotal_) wait = std::max<int64_t>(0, deadlineMs_ - nowMs);
    if (got > 0 && intervalMs_ > 0) wait = wait == kNoLimit ? intervalMs_ : std::min(wait, intervalMs_);
    return wait;
}

}  // namespace varnel
