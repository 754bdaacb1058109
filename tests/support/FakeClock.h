#pragma once

#include <cstdint>
#include <vector>

#include "base/Clock.h"

namespace varnel::test {

// Time passes only when the code under test sleeps; every pause is recorded.
class FakeClock : public Clock {
public:
    void Sleep(int64_t ms) override {
        sleeps.push_back(ms);
        if (ms > 0) now += ms;
    }
    int64_t NowMs() const override { return now; }
    void Advance(int64_t ms) { now += ms; }

    int64_t TotalSlept() const {
        int64_t total = 0;
        for (int64_t ms : sleeps) total += ms;
        return total;
    }

    int64_t now = 1'000'000;
    std::vector<int64_t> sleeps;
};

}  // namespace varnel::test
