#pragma once

#include <string>

#include "base/UniqueFd.h"
#include "io/PortBackend.h"

namespace varnel {

// What the device-node backends share: a non-blocking descriptor driven by poll, with reads and
// writes bounded as the line's time-outs or an explicit wait say. Operations a kind of node does
// not have fail with ENOTTY.
class DescriptorBackend : public PortBackend {
public:
    bool Open(PortKind kind, const std::string& path) override;
    bool Connect(const std::string& host, uint16_t port, int64_t timeoutMs) override;
    bool Close() override;
    bool IsOpen() const override { return fd_.Valid(); }
    int LastError() const override { return lastError_; }

    int64_t Read(char* buffer, size_t size, int64_t waitMs) override;
    int64_t Write(const char* data, size_t size, int64_t waitMs) override;
    int64_t Peek(size_t maxBytes, int64_t waitUs) override;
    int64_t UnacknowledgedOutput() override { return UnsupportedCount(); }
    bool SetTimeouts(const CommTimeouts& timeouts) override;

    bool SetConfig(const CommConfig& config) override;
    std::optional<CommConfig> GetConfig() override;
    std::optional<CommConfig> DefaultConfig(const std::string& path) override;
    std::optional<CommStatus> ClearCommError() override;
    std::optional<uint32_t> ModemStatus() override;
    bool SetDtr(bool on) override;
    bool SetRts(bool on) override;
    bool ClearBreak() override;
    int DeviceStatusBytes() override;
    std::optional<uint8_t> ParallelStatus() override;

    const std::string& Path() const { return path_; }

protected:
    int Fd() const { return fd_.Get(); }
    bool Unsupported();
    int64_t UnsupportedCount() {
        Unsupported();
        return -1;
    }
    bool Failed();         // records errno; returns false
    int64_t FailCount() {  // records errno; returns -1
        Failed();
        return -1;
    }
    void SetError(int error) { lastError_ = error; }

private:
    int64_t ReadWithLineTimeouts(char* buffer, size_t size);
    int64_t ReadWithin(char* buffer, size_t size, int64_t waitMs);

    UniqueFd fd_;
    std::string path_;
    CommTimeouts timeouts_;
    int lastError_ = 0;
};

// Milliseconds on the monotonic clock; the backends measure real waits.
int64_t MonotonicMs();
// The longest single poll; poll takes its wait as an int.
inline constexpr int64_t kMaxPollSliceMs = 1'000'000;

// Waits until `fd` is ready for `events` or `waitMs` passes (negative: no limit), in polls of at
// most `sliceMs`. 1 ready, 0 time-out, -1 error (errno set).
int PollFor(int fd, short events, int64_t waitMs, int64_t sliceMs = kMaxPollSliceMs);

}  // namespace varnel
