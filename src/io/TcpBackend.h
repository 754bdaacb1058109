#pragma once

#include "io/DescriptorBackend.h"

namespace varnel {

// A TCP stream to a network printer: connect bounded by a time-out, reads and writes bounded by
// poll, shut down both ways on close.
class TcpBackend : public DescriptorBackend {
public:
    bool Open(PortKind kind, const std::string& path) override;
    bool Connect(const std::string& host, uint16_t port, int64_t timeoutMs) override;
    bool Close() override;
    bool IsOpen() const override { return socket_.Valid(); }
    int64_t Read(char* buffer, size_t size, int64_t waitMs) override;
    int64_t Write(const char* data, size_t size, int64_t waitMs) override;
    int64_t Peek(size_t maxBytes, int64_t waitUs) override;
    int64_t UnacknowledgedOutput() override;
    bool SetTimeouts(const CommTimeouts& timeouts) override;

private:
    UniqueFd socket_;
};

}  // namespace varnel
