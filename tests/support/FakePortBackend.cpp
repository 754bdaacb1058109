#include "support/FakePortBackend.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "support/FakeClock.h"

namespace varnel::test {

void FakePortBackend::Disconnect() {
    deviceStatusBytes = 0;
    failStatus.Always();
    failWrite.Always();
    failRead.Always();
}

void FakePortBackend::AdvanceClock(int64_t ms) {
    if (clock && ms > 0) clock->Advance(ms);
}

int64_t FakePortBackend::NowMs() const { return clock ? clock->NowMs() : 0; }

size_t FakePortBackend::ArrivedBytes() const {
    size_t arrived = 0;
    for (const Chunk& chunk : replies) {
        if (chunk.readyAtMs > NowMs()) break;  // later chunks queue behind it
        arrived += chunk.bytes.size();
    }
    return arrived;
}

bool FakePortBackend::Open(PortKind kind, const std::string& path) {
    ++openCalls;
    if (failOpen.ShouldFail(openCalls)) {
        lastError_ = errorNumber;
        return false;
    }
    opens.push_back({kind, path});
    writesPerOpen.emplace_back();
    openKind = kind;
    open_ = true;
    return true;
}

bool FakePortBackend::Connect(const std::string& host, uint16_t port, int64_t timeoutMs) {
    lastConnectTimeoutMs = timeoutMs;
    return Open(PortKind::Network, host + ":" + std::to_string(port));
}

bool FakePortBackend::Close() {
    if (failClose.ShouldFail(closes + 1)) {
        ++closes;
        lastError_ = errorNumber;
        return false;
    }
    ++closes;
    open_ = false;
    return true;
}

int64_t FakePortBackend::Read(char* buffer, size_t size, int64_t waitMs) {
    ++readCalls;
    reads.push_back({size, waitMs});
    if (!open_ || failRead.ShouldFail(readCalls)) {
        lastError_ = open_ ? errorNumber : EBADF;
        return -1;
    }
    int64_t waited = waitMs;
    if (waitMs == kUseLineTimeouts)
        waited = int64_t{lineTimeouts.ReadTotalTimeoutMultiplier} * static_cast<int64_t>(size) +
                 lineTimeouts.ReadTotalTimeoutConstant;
    const int64_t dueIn = replies.empty() ? 0 : replies.front().readyAtMs - NowMs();
    if (replies.empty() || dueIn > std::max<int64_t>(waited, 0)) {
        AdvanceClock(waited);
        return 0;
    }
    AdvanceClock(dueIn);
    std::string& chunk = replies.front().bytes;
    size_t n = std::min(size, chunk.size());
    std::memcpy(buffer, chunk.data(), n);
    chunk.erase(0, n);
    if (chunk.empty()) replies.pop_front();
    return static_cast<int64_t>(n);
}

int64_t FakePortBackend::Write(const char* data, size_t size, int64_t /*waitMs*/) {
    ++writeCallCount;
    if (!open_ || failWrite.ShouldFail(writeCallCount)) {
        lastError_ = open_ ? errorNumber : EBADF;
        return -1;
    }
    size_t n = acceptNothing ? 0 : std::min(size, acceptLimit);
    std::string accepted(data, n);
    writeCalls.push_back(accepted);
    writesPerOpen.back() += accepted;
    allWritten += accepted;
    if (responder) responder(*this, accepted);
    return static_cast<int64_t>(n);
}

int64_t FakePortBackend::Peek(size_t maxBytes, int64_t /*waitUs*/) {
    if (StatusFails()) return -1;
    return static_cast<int64_t>(std::min(ArrivedBytes(), maxBytes));
}

int64_t FakePortBackend::UnacknowledgedOutput() {
    if (StatusFails()) return -1;
    if (unacknowledgedSequence.empty()) return unacknowledged;
    const int64_t count = unacknowledgedSequence.front();
    unacknowledgedSequence.pop_front();
    return count;
}

bool FakePortBackend::SetTimeouts(const CommTimeouts& timeouts) {
    timeoutsSet.push_back(timeouts);
    if (failSetTimeouts.ShouldFail(static_cast<int>(timeoutsSet.size()))) {
        lastError_ = errorNumber;
        return false;
    }
    lineTimeouts = timeouts;
    return true;
}

bool FakePortBackend::SetConfig(const CommConfig& config) {
    configsSet.push_back(config);
    if (failSetConfig.ShouldFail(static_cast<int>(configsSet.size()))) {
        lastError_ = errorNumber;
        return false;
    }
    lineConfig = config;
    return true;
}

std::optional<CommConfig> FakePortBackend::GetConfig() {
    if (!open_) return std::nullopt;
    return lineConfig;
}

std::optional<CommConfig> FakePortBackend::DefaultConfig(const std::string& path) {
    defaultConfigPaths.push_back(path);
    return defaultConfig;
}

bool FakePortBackend::StatusFails() {
    ++statusCalls;
    if (!open_ || failStatus.ShouldFail(statusCalls)) {
        lastError_ = open_ ? errorNumber : EBADF;
        return true;
    }
    return false;
}

std::optional<CommStatus> FakePortBackend::ClearCommError() {
    if (StatusFails()) return std::nullopt;
    CommStatus status = commStatus;
    status.inQueue += static_cast<uint32_t>(ArrivedBytes());
    return status;
}

std::optional<uint32_t> FakePortBackend::ModemStatus() {
    if (StatusFails()) return std::nullopt;
    return modemStatus;
}

bool FakePortBackend::SetDtr(bool on) {
    lineCalls.push_back(on ? "DTR on" : "DTR off");
    return open_;
}

bool FakePortBackend::SetRts(bool on) {
    lineCalls.push_back(on ? "RTS on" : "RTS off");
    return open_;
}

bool FakePortBackend::ClearBreak() {
    lineCalls.push_back("break off");
    return open_;
}

int FakePortBackend::DeviceStatusBytes() {
    if (StatusFails()) return 0;
    return deviceStatusBytes;
}

std::optional<uint8_t> FakePortBackend::ParallelStatus() {
    if (StatusFails()) return std::nullopt;
    if (!parallelStatusSequence.empty()) {
        uint8_t status = parallelStatusSequence.front();
        parallelStatusSequence.pop_front();
        return status;
    }
    return parallelStatus;
}

}  // namespace varnel::test
