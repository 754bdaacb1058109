#pragma once

#include <memory>

#include "io/PortBackend.h"

namespace varnel {

// The real backend: picks the serial, parallel, printer-device or TCP backend at each open and
// hands every call to it.
class SystemPortBackend : public PortBackend {
public:
    bool Open(PortKind kind, const std::string& path) override;
    bool Connect(const std::string& host, uint16_t port, int64_t timeoutMs) override;
    bool Close() override;
    bool IsOpen() const override { return current_ && current_->IsOpen(); }
    int LastError() const override { return lastError_; }
    int64_t Read(char* buffer, size_t size, int64_t waitMs) override;
    int64_t Write(const char* data, size_t size, int64_t waitMs) override;
    int64_t Peek(size_t maxBytes, int64_t waitUs) override;
    int64_t UnacknowledgedOutput() override;
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

private:
    // Runs `call` on the open backend and keeps its error number; `closed` when none is open.
    template <typename Call, typename Result>
    Result Forward(Call call, Result closed);

    std::unique_ptr<PortBackend> current_;
    int lastError_ = 0;
};

}  // namespace varnel
