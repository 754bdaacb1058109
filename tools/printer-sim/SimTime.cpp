#include "SimTime.h"

#include <chrono>

namespace varnel::sim {

Micros MonotonicNow() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace varnel::sim
