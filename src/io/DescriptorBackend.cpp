#include "io/DescriptorBackend.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "io/ReadWaits.h"

namespace varnel {
namespace {

// A node that claims to be ready but has nothing (drivers without poll support) is asked again
// after this pause instead of in a busy loop.
constexpr int64_t kNotReallyReadyPauseMs = 10;

}  // namespace

int64_t MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1'000'000;
}

int PollFor(int fd, short events, int64_t waitMs, int64_t sliceMs) {
    const int64_t deadline = waitMs < 0 ? 0 : MonotonicMs() + waitMs;
    while (true) {
        int timeout = -1;
        if (waitMs >= 0) timeout = static_cast<int>(std::clamp<int64_t>(deadline - MonotonicMs(), 0, sliceMs));
        pollfd p{fd, events, 0};
        int r = ::poll(&p, 1, timeout);
        if (r > 0) return 1;
        // A poll ends at its slice; the wait goes on to its own end.
        if (r == 0 && MonotonicMs() >= deadline) return 0;
        if (r < 0 && errno != EINTR) return -1;
    }
}

bool DescriptorBackend::Failed() {
    lastError_ = errno;
    return false;
}

bool DescriptorBackend::Unsupported() {
    lastError_ = IsOpen() ? ENOTTY : EBADF;
    return false;
}

bool DescriptorBackend::Open(PortKind /*kind*/, const std::string& path) {
    fd_.Reset();
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Failed();
    fd_ = UniqueFd(fd);
    path_ = path;
    return true;
}

bool DescriptorBackend::Connect(const std::string&, uint16_t, int64_t) { return Unsupported(); }

bool DescriptorBackend::Close() {
    if (!fd_.Valid()) return true;
    if (!fd_.Reset()) return Failed();
    return true;
}

bool DescriptorBackend::SetTimeouts(const CommTimeouts& timeouts) {
    if (!IsOpen()) return Unsupported();
    timeouts_ = timeouts;
    return true;
}

int64_t DescriptorBackend::Read(char* buffer, size_t size, int64_t waitMs) {
    if (!IsOpen()) return UnsupportedCount();
    if (size == 0) return 0;
    return waitMs == kUseLineTimeouts ? ReadWithLineTimeouts(buffer, size) : ReadWithin(buffer, size, waitMs);
}

int64_t DescriptorBackend::ReadWithin(char* buffer, size_t size, int64_t waitMs) {
    const int64_t deadline = MonotonicMs() + waitMs;
    while (true) {
        int64_t left = std::max<int64_t>(0, deadline - MonotonicMs());
        int ready = PollFor(Fd(), POLLIN, left);
        if (ready < 0) return FailCount();
        if (ready == 0) return 0;
        ssize_t n = ::read(Fd(), buffer, size);
        if (n > 0) return n;
        if (n == 0) {
            lastError_ = EIO;  // end of file: the other side is gone
            return -1;
        }
        if (errno != EAGAIN && errno != EINTR) return FailCount();
        if (left == 0) return 0;
        PollFor(-1, 0, std::min(kNotReallyReadyPauseMs, left));
    }
}

// COMMTIMEOUTS, as ReadWaits says.
int64_t DescriptorBackend::ReadWithLineTimeouts(char* buffer, size_t size) {
    const ReadWaits waits(timeouts_, size, MonotonicMs());
    size_t got = 0;
    while (got < size) {
        const int64_t wait = waits.Next(got, MonotonicMs());
        int ready = PollFor(Fd(), POLLIN, wait);
        if (ready < 0) return FailCount();
        if (ready == 0) break;
        ssize_t n = ::read(Fd(), buffer + got, size - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            continue;
        }
        if (n == 0) break;  // hang-up: the read ends with what arrived
        if (errno == EIO && got > 0) break;
        if (errno != EAGAIN && errno != EINTR) return FailCount();
        if (wait == 0) break;
        PollFor(-1, 0, kNotReallyReadyPauseMs);
    }
    return static_cast<int64_t>(got);
}

int64_t DescriptorBackend::Write(const char* data, size_t size, int64_t waitMs) {
    if (!IsOpen()) return UnsupportedCount();
    int64_t limit = waitMs;
    if (waitMs == kUseLineTimeouts) {
        int64_t total = int64_t{timeouts_.WriteTotalTimeoutMultiplier} * static_cast<int64_t>(size) +
                        timeouts_.WriteTotalTimeoutConstant;
        limit = total > 0 ? total : -1;
    }
    const int64_t deadline = MonotonicMs() + std::max<int64_t>(limit, 0);
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(Fd(), data + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return FailCount();
        int64_t left = limit < 0 ? -1 : deadline - MonotonicMs();
        if (limit >= 0 && left <= 0) break;
        int ready = PollFor(Fd(), POLLOUT, left);
        if (ready < 0) return FailCount();
        if (ready == 0) break;
    }
    if (done == 0 && size > 0) {
        lastError_ = ETIMEDOUT;  // nothing taken within the time-out is a failed write
        return -1;
    }
    return static_cast<int64_t>(done);
}

int64_t DescriptorBackend::Peek(size_t maxBytes, int64_t waitUs) {
    if (!IsOpen()) return UnsupportedCount();
    PollFor(Fd(), POLLIN, waitUs / 1000);
    int queued = 0;
    if (::ioctl(Fd(), FIONREAD, &queued) != 0) return FailCount();
    return std::min<int64_t>(queued, static_cast<int64_t>(maxBytes));
}

bool DescriptorBackend::SetConfig(const CommConfig&) { return Unsupported(); }
std::optional<CommConfig> DescriptorBackend::GetConfig() {
    Unsupported();
    return std::nullopt;
}
std::optional<CommConfig> DescriptorBackend::DefaultConfig(const std::string&) {
    Unsupported();
    return std::nullopt;
}

std::optional<CommStatus> DescriptorBackend::ClearCommError() {
    if (!IsOpen()) {
        Unsupported();
        return std::nullopt;
    }
    // Queue counts as the line discipline knows them; hold flags are not available and count as clear.
    int in = 0;
    int out = 0;
    if (::ioctl(Fd(), TIOCINQ, &in) != 0 || ::ioctl(Fd(), TIOCOUTQ, &out) != 0) {
        Failed();
        return std::nullopt;
    }
    CommStatus status;
    status.inQueue = static_cast<uint32_t>(std::max(in, 0));
    status.outQueue = static_cast<uint32_t>(std::max(out, 0));
    return status;
}

std::optional<uint32_t> DescriptorBackend::ModemStatus() {
    Unsupported();
    return std::nullopt;
}
bool DescriptorBackend::SetDtr(bool) { return Unsupported(); }
bool DescriptorBackend::SetRts(bool) { return Unsupported(); }
bool DescriptorBackend::ClearBreak() { return Unsupported(); }
int DescriptorBackend::DeviceStatusBytes() {
    Unsupported();
    return 0;
}
std::optional<uint8_t> DescriptorBackend::ParallelStatus() {
    Unsupported();
    return std::nullopt;
}

}  // namespace varnel
