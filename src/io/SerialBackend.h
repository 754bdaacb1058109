#pragma once

#include "io/DescriptorBackend.h"

namespace varnel {

// A serial line (a UART, a USB serial adapter, a pseudo-terminal) through termios2, so any baud
// rate can be set.
class SerialBackend : public DescriptorBackend {
public:
    SerialBackend() = default;
    ~SerialBackend() override { Close(); }
    SerialBackend(const SerialBackend&) = delete;
    SerialBackend& operator=(const SerialBackend&) = delete;

    bool Open(PortKind kind, const std::string& path) override;
    bool Close() override;
    bool SetConfig(const CommConfig& config) override;
    std::optional<CommConfig> GetConfig() override;
    std::optional<CommConfig> DefaultConfig(const std::string& path) override;
    std::optional<uint32_t> ModemStatus() override;
    bool SetDtr(bool on) override;
    bool SetRts(bool on) override;
    bool ClearBreak() override;
    int64_t Peek(size_t maxBytes, int64_t waitUs) override;

    // The configuration of the line at `path`, read without keeping it open.
    static std::optional<CommConfig> ReadLineConfig(const std::string& path);

private:
    bool exclusive_ = false;  // this program put the line in exclusive mode
};

}  // namespace varnel
