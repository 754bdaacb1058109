#pragma once

#include <cstddef>
#include <cstdint>

#include "io/CommTimeouts.h"

namespace varnel {

// The waits of one read under COMMTIMEOUTS: the total time-out (multiplier x bytes asked +
// constant) bounds the whole read, the interval time-out the gap after each byte; zero switches
// either off. An interval of MAXDWORD with both total parts zero returns at once with what is
// there. The serial emulation and the network read share these rules.
class ReadWaits {
public:
    static constexpr int64_t kNoLimit = -1;

    ReadWaits(const CommTimeouts& timeouts, size_t size, int64_t startMs);

    // How long the read may still wait for its next bytes once `got` have arrived: kNoLimit,
    // or 0 for "take what is there and stop".
    int64_t Next(size_t got, int64_t nowMs) const;

private:
    int64_t deadlineMs_ = 0;
    int64_t intervalMs_ = 0;
    bool hasTotal_ = false;
    bool immediate_ = false;
};

}  // namespace varnel
