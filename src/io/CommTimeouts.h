#pragma once

#include <cstdint>

namespace varnel {

// The five serial time-outs in milliseconds, as COMMTIMEOUTS holds them. The members keep the
// names of the stored values they are read from.
struct CommTimeouts {
    uint32_t ReadIntervalTimeout = 500;
    uint32_t ReadTotalTimeoutMultiplier = 40;
    uint32_t ReadTotalTimeoutConstant = 300;
    uint32_t WriteTotalTimeoutMultiplier = 30;
    uint32_t WriteTotalTimeoutConstant = 300;

    bool operator==(const CommTimeouts&) const = default;
};

}  // namespace varnel
