#pragma once

#include <cstdint>

namespace varnel {

// Every fixed pause and time-out of the program goes through a Clock, so tests can run the
// protocol's seconds of waiting in no real time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void Sleep(int64_t ms) = 0;
    // Monotonic milliseconds since an arbitrary start.
    virtual int64_t NowMs() const = 0;
};

class SystemClock : public Clock {
public:
    void Sleep(int64_t ms) override;
    int64_t NowMs() const override;
};

}  // namespace varnel
