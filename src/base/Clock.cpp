#include "base/Clock.h"

#include <chrono>
#include <thread>

namespace varnel {

void SystemClock::Sleep(int64_t ms) {
    if (ms <= 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int64_t SystemClock::NowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace varnel
