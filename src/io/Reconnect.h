#pragma once

#include <cstdint>

namespace varnel {

inline constexpr int kReconnectAfterFailures = 4;
inline constexpr int64_t kFirstReconnectDelayMs = 200;
inline constexpr int64_t kReconnectDelayStepMs = 1000;
inline constexpr int64_t kMaxReconnectDelayMs = 8000;

// Failure counter and reconnect delay of one kind of transfer. They are shared by every port
// object in the process: a printer that keeps failing is given more time whoever talks to it.
struct RetryState {
    int failures = 0;
    int64_t delayMs = kFirstReconnectDelayMs;

    // Counts a failure; true when it is time to close, wait and reopen.
    bool CountFailure() { return ++failures >= kReconnectAfterFailures; }
    // The delay to wait now; the next one is a second longer, at most 8000 ms.
    int64_t TakeDelay();
    void Succeeded() {
        failures = 0;
        delayMs = kFirstReconnectDelayMs;
    }
};

RetryState& OutputRetryState();
RetryState& InputRetryState();
RetryState& StatusRetryState();
// Back to the start state (a new process, or a test).
void ResetRetryStates();

}  // namespace varnel
