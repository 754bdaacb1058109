#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "io/PortBackend.h"

namespace varnel::test {

class FakeClock;

// Which calls of one operation fail, counted from 1 over the fake's life.
class CallFailures {
public:
    void At(int call) { calls_.insert(call); }
    void From(int call) { from_ = call; }
    void Always() { from_ = 1; }
    void Never() {
        calls_.clear();
        from_ = 0;
    }
    bool ShouldFail(int call) const { return calls_.count(call) > 0 || (from_ > 0 && call >= from_); }

private:
    std::set<int> calls_;
    int from_ = 0;
};

// A scripted port: records every byte written, hands out queued replies, and fails or holds
// back exactly where a test tells it to. A responder can play the printer: it is called after
// every accepted write with the bytes of that write.
class FakePortBackend : public PortBackend {
public:
    using Responder = std::function<void(FakePortBackend&, const std::string& written)>;

    struct OpenRecord {
        PortKind kind;
        std::string target;  // device path, or host:port for a connection
    };
    struct ReadRecord {
        size_t size;
        int64_t waitMs;  // kUseLineTimeouts or the explicit wait
    };

    // Bytes that reach the port together. With a clock, a chunk can arrive later than it is
    // queued; with readyAtMs 0 it is there at once. Made from a plain string implicitly, so a
    // test can set `replies` to a list of texts.
    struct Chunk {
        Chunk(std::string b, int64_t at = 0) : bytes(std::move(b)), readyAtMs(at) {}
        std::string bytes;
        int64_t readyAtMs = 0;  // on the fake clock
    };

    // Script.
    void QueueReply(std::string bytes) { replies.emplace_back(std::move(bytes)); }
    // Bytes that arrive when the clock reaches `readyAtMs` (a printer that answers late, or a
    // reply that comes in pieces); a read that would wait past then times out instead.
    void QueueReplyAt(int64_t readyAtMs, std::string bytes) { replies.emplace_back(std::move(bytes), readyAtMs); }
    Responder responder;
    // Each queued chunk ends a read: a read takes bytes from the first chunk only.
    std::deque<Chunk> replies;
    CallFailures failOpen, failWrite, failRead, failStatus, failSetConfig, failSetTimeouts, failClose;
    int errorNumber = 5;          // LastError() after an injected failure
    size_t acceptLimit = SIZE_MAX;  // a write accepts at most this many bytes
    bool acceptNothing = false;   // a write succeeds with 0 bytes
    uint32_t modemStatus = kModemDsrOn;
    int deviceStatusBytes = 2;
    std::optional<uint8_t> parallelStatus = 0x80;  // selected, no error, not busy
    std::deque<uint8_t> parallelStatusSequence;     // answered first, one per query
    CommStatus commStatus;
    // The network drain's count of unacknowledged bytes: answered first, one per query, then
    // `unacknowledged` for good.
    std::deque<int64_t> unacknowledgedSequence;
    int64_t unacknowledged = 0;
    std::optional<CommConfig> defaultConfig;       // what DefaultConfig answers
    // When set, time-outs of reads advance this clock by the time they would have waited.
    FakeClock* clock = nullptr;

    // Records.
    std::vector<OpenRecord> opens;
    std::vector<std::string> writesPerOpen;  // bytes written during each open
    std::vector<std::string> writeCalls;     // bytes accepted by each write call
    std::string allWritten;
    std::vector<ReadRecord> reads;
    std::vector<CommConfig> configsSet;
    std::vector<CommTimeouts> timeoutsSet;
    std::vector<std::string> defaultConfigPaths;
    std::vector<std::string> lineCalls;  // "DTR on", "RTS off", "break off"
    int closes = 0;
    int openCalls = 0, writeCallCount = 0, readCalls = 0, statusCalls = 0;
    std::optional<CommConfig> lineConfig;  // what the line is set to
    CommTimeouts lineTimeouts;

    // Bytes written during the current (or last) open.
    std::string CurrentWrites() const { return writesPerOpen.empty() ? std::string() : writesPerOpen.back(); }
    // Makes the port behave as if the device vanished: status and transfers fail from now on.
    void Disconnect();

    // PortBackend.
    bool Open(PortKind kind, const std::string& path) override;
    bool Connect(const std::string& host, uint16_t port, int64_t timeoutMs) override;
    bool Close() override;
    bool IsOpen() const override { return open_; }
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

    int64_t lastConnectTimeoutMs = 0;
    PortKind openKind = PortKind::Device;

private:
    bool StatusFails();
    void AdvanceClock(int64_t ms);
    int64_t NowMs() const;
    // Bytes of the chunks that have arrived by now.
    size_t ArrivedBytes() const;

    bool open_ = false;
    int lastError_ = 0;
};

}  // namespace varnel::test
