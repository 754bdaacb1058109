#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "base/UniqueFd.h"

namespace varnel::test {

// True when the kernel lists a process waiting for a flock on the file with inode `inode`.
inline bool FlockWaiterOn(ino_t inode) {
    std::ifstream locks("/proc/locks");
    const std::string file = ":" + std::to_string(inode) + " ";
    for (std::string line; std::getline(locks, line);)
        if (line.find("->") != std::string::npos && line.find("FLOCK") != std::string::npos &&
            line.find(file) != std::string::npos)
            return true;
    return false;
}

// Runs `action` on a thread of its own while this test holds an exclusive flock on the existing
// file at `path`, as another run of the program would. True when the action waited for that
// lock; `whileWaiting` then runs while it still waits. False when it finished without the lock.
// Either way the action has ended on return.
inline bool WaitsForLock(const std::string& path, const std::function<void()>& action,
                         const std::function<void()>& whileWaiting = [] {}) {
    UniqueFd held(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!held.Valid() || ::flock(held.Get(), LOCK_EX) != 0 || ::fstat(held.Get(), &info) != 0) return false;
    std::atomic<bool> done{false};
    std::thread other([&] {
        action();
        done = true;
    });
    bool waited = false;
    while (!done && !waited) {
        waited = FlockWaiterOn(info.st_ino);
        if (!waited) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (waited) whileWaiting();
    ::flock(held.Get(), LOCK_UN);
    other.join();
    return waited;
}

}  // namespace varnel::test
