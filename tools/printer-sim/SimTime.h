#pragma once

#include <cstdint>

namespace varnel::sim {

// Time in microseconds on a monotonic clock. The engine is handed the time with every call,
// so tests drive it with made-up times and never sleep.
using Micros = std::int64_t;

constexpr Micros kMicrosPerMilli = 1000;
constexpr Micros kMicrosPerSecond = 1000 * kMicrosPerMilli;

constexpr Micros Millis(std::int64_t ms) { return ms * kMicrosPerMilli; }

Micros MonotonicNow();

}  // namespace varnel::sim
