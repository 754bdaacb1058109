#include <gtest/gtest.h>

#include <limits>

#include "io/ReadWaits.h"

namespace varnel {
namespace {

constexpr uint32_t kMaxDword = std::numeric_limits<uint32_t>::max();
constexpr int64_t kStart = 5000;

TEST(ReadWaitsTest, TheTotalBoundsTheReadAndTheIntervalTheGapAfterEachByte) {
    struct Case {
        CommTimeouts timeouts;  // interval, multiplier, constant (the write values do not matter)
        size_t size;
        size_t got;
        int64_t elapsedMs;
        int64_t wait;
    };
    const Case cases[] = {
        {{500, 40, 300, 0, 0}, 10, 0, 0, 700},    // 40 x 10 + 300 for the first bytes
        {{500, 40, 300, 0, 0}, 10, 3, 100, 500},  // after a byte: the interval, within what is left
        {{500, 40, 300, 0, 0}, 10, 3, 650, 50},
        {{500, 40, 300, 0, 0}, 10, 3, 800, 0},    // the total has run out: take what is there
        {{50, 0, 100, 0, 0}, 4, 0, 20, 80},       // a network read: its constant alone
        {{50, 0, 100, 0, 0}, 4, 2, 20, 50},
        {{0, 0, 100, 0, 0}, 4, 2, 20, 80},        // interval off
        {{50, 0, 0, 0, 0}, 4, 0, 20, ReadWaits::kNoLimit},  // total off: wait for the first byte
        {{50, 0, 0, 0, 0}, 4, 1, 20, 50},
        {{0, 0, 0, 0, 0}, 4, 1, 20, ReadWaits::kNoLimit},
        {{kMaxDword, 0, 0, 0, 0}, 4, 0, 0, 0},    // return at once with what is there
        {{kMaxDword, 0, 100, 0, 0}, 4, 2, 30, 70},  // no interval, the total alone
    };
    for (const Case& c : cases) {
        const ReadWaits waits(c.timeouts, c.size, kStart);
        EXPECT_EQ(waits.Next(c.got, kStart + c.elapsedMs), c.wait)
            << c.timeouts.ReadIntervalTimeout << "/" << c.timeouts.ReadTotalTimeoutMultiplier << "/"
            << c.timeouts.ReadTotalTimeoutConstant << " got " << c.got << " after " << c.elapsedMs;
    }
}

}  // namespace
}  // namespace varnel
