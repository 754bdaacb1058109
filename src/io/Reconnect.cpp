#include "io/Reconnect.h"

#include <algorithm>

namespace varnel {
namespace {

RetryState gOutputRetry;
RetryState gInputRetry;
RetryState gStatusRetry;

}  // namespace

int64_t RetryState::TakeDelay() {
    int64_t now = delayMs;
    delayMs = std::min(delayMs + kReconnectDelayStepMs, kMaxReconnectDelayMs);
    return now;
}

RetryState& OutputRetryState() { return gOutputRetry; }
RetryState& InputRetryState() { return gInputRetry; }
RetryState& StatusRetryState() { return gStatusRetry; }

void ResetRetryStates() {
    gOutputRetry = RetryState{};
    gInputRetry = RetryState{};
    gStatusRetry = RetryState{};
}

}  // namespace varnel
