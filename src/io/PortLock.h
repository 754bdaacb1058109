#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

namespace varnel {

inline constexpr int64_t kPortLockWaitMs = 10'000;

// The per-object lock that guards Output, Input and TestIO; a taker waits at most 10,000 ms.
// The owning thread may take it again, as a reconnect inside Output sends the start string.
class PortLock {
public:
    class Guard {
    public:
        explicit Guard(PortLock& lock) : lock_(lock), held_(lock.mutex_.try_lock_for(lock.wait_)) {}
        ~Guard() {
            if (held_) lock_.mutex_.unlock();
        }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        bool Held() const { return held_; }

    private:
        PortLock& lock_;
        bool held_;
    };

    explicit PortLock(std::chrono::milliseconds wait = std::chrono::milliseconds(kPortLockWaitMs)) : wait_(wait) {}

private:
    std::recursive_timed_mutex mutex_;  // the start string of a reopen inside Output re-enters it
    std::chrono::milliseconds wait_;
};

}  // namespace varnel
