#include "io/SystemPortBackend.h"

#include <cerrno>

#include "io/ParallelBackend.h"
#include "io/SerialBackend.h"
#include "io/TcpBackend.h"
#include "io/UsbPrinterBackend.h"

namespace varnel {

std::unique_ptr<PortBackend> MakeSystemPortBackend() { return std::make_unique<SystemPortBackend>(); }

template <typename Call, typename Result>
Result SystemPortBackend::Forward(Call call, Result closed) {
    if (!current_) {
        lastError_ = EBADF;
        return closed;
    }
    Result result = call(*current_);
    lastError_ = current_->LastError();
    return result;
}

bool SystemPortBackend::Open(PortKind kind, const std::string& path) {
    if (current_) current_->Close();
    switch (kind) {
        case PortKind::Serial: current_ = std::make_unique<SerialBackend>(); break;
        case PortKind::Parallel: current_ = std::make_unique<ParallelBackend>(); break;
        case PortKind::Device: current_ = std::make_unique<UsbPrinterBackend>(); break;
        // A network printer is reached by Connect; its backend refuses to open a path.
        case PortKind::Network: current_ = std::make_unique<TcpBackend>(); break;
    }
    return Forward([&](PortBackend& b) { return b.Open(kind, path); }, false);
}

bool SystemPortBackend::Connect(const std::string& host, uint16_t port, int64_t timeoutMs) {
    if (current_) current_->Close();
    current_ = std::make_unique<TcpBackend>();
    return Forward([&](PortBackend& b) { return b.Connect(host, port, timeoutMs); }, false);
}

bool SystemPortBackend::Close() { return Forward([](PortBackend& b) { return b.Close(); }, true); }

int64_t SystemPortBackend::Read(char* buffer, size_t size, int64_t waitMs) {
    return Forward([&](PortBackend& b) { return b.Read(buffer, size, waitMs); }, int64_t{-1});
}

int64_t SystemPortBackend::Write(const char* data, size_t size, int64_t waitMs) {
    return Forward([&](PortBackend& b) { return b.Write(data, size, waitMs); }, int64_t{-1});
}

int64_t SystemPortBackend::Peek(size_t maxBytes, int64_t waitUs) {
    return Forward([&](PortBackend& b) { return b.Peek(maxBytes, waitUs); }, int64_t{-1});
}

int64_t SystemPortBackend::UnacknowledgedOutput() {
    return Forward([](PortBackend& b) { return b.UnacknowledgedOutput(); }, int64_t{-1});
}

bool SystemPortBackend::SetTimeouts(const CommTimeouts& timeouts) {
    return Forward([&](PortBackend& b) { return b.SetTimeouts(timeouts); }, false);
}

bool SystemPortBackend::SetConfig(const CommConfig& config) {
    return Forward([&](PortBackend& b) { return b.SetConfig(config); }, false);
}

std::optional<CommConfig> SystemPortBackend::GetConfig() {
    return Forward([](PortBackend& b) { return b.GetConfig(); }, std::optional<CommConfig>{});
}

std::optional<CommConfig> SystemPortBackend::DefaultConfig(const std::string& path) {
    if (IsOpen()) {
        if (auto* serial = dynamic_cast<SerialBackend*>(current_.get()); serial && serial->Path() == path)
            return serial->GetConfig();
    }
    return SerialBackend::ReadLineConfig(path);
}

std::optional<CommStatus> SystemPortBackend::ClearCommError() {
    return Forward([](PortBackend& b) { return b.ClearCommError(); }, std::optional<CommStatus>{});
}

std::optional<uint32_t> SystemPortBackend::ModemStatus() {
    return Forward([](PortBackend& b) { return b.ModemStatus(); }, std::optional<uint32_t>{});
}

bool SystemPortBackend::SetDtr(bool on) {
    return Forward([&](PortBackend& b) { return b.SetDtr(on); }, false);
}

bool SystemPortBackend::SetRts(bool on) {
    return Forward([&](PortBackend& b) { return b.SetRts(on); }, false);
}

bool SystemPortBackend::ClearBreak() {
    return Forward([](PortBackend& b) { return b.ClearBreak(); }, false);
}

int SystemPortBackend::DeviceStatusBytes() {
    return Forward([](PortBackend& b) { return b.DeviceStatusBytes(); }, 0);
}

std::optional<uint8_t> SystemPortBackend::ParallelStatus() {
    return Forward([](PortBackend& b) { return b.ParallelStatus(); }, std::optional<uint8_t>{});
}

}  // namespace varnel
