#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "io/CommConfig.h"
#include "io/CommTimeouts.h"
#include "io/PortKind.h"

namespace varnel {

// Modem line bit for DSR, as the port layer's callers read it.
inline constexpr uint32_t kModemDsrOn = 0x20;

// Communication error bits of the older system family's status query.
inline constexpr uint32_t kCommErrorNotSelected = 0x0800;
inline constexpr uint32_t kCommErrorOutOfPaper = 0x1000;

// What ClearCommError reports: error bits, queue counts and whether output is held by XOFF.
struct CommStatus {
    uint32_t errors = 0;
    uint32_t inQueue = 0;
    uint32_t outQueue = 0;
    bool heldByXoff = false;  // XOFF received or sent
};

// Read/Write wait argument: use the line's COMMTIMEOUTS instead of a single wait.
inline constexpr int64_t kUseLineTimeouts = -1;

// The platform calls behind IOComm, one open port at a time. IOComm's own rules (naming,
// time-out arithmetic, retries, substitution, readiness) sit above this seam; the real
// implementation talks to termios, ioctl, poll and sockets, tests use a scripted fake.
//
// Failures return false / -1 / nullopt and leave an errno-style number in LastError(), which
// IOComm puts into its "GetLastError() returned: " texts.
class PortBackend {
public:
    virtual ~PortBackend() = default;

    // Opens a device path of the given kind (Serial, Parallel or Device). Device paths are
    // opened non-blocking.
    virtual bool Open(PortKind kind, const std::string& path) = 0;
    // Connects a TCP stream to host:port, giving up after timeoutMs.
    virtual bool Connect(const std::string& host, uint16_t port, int64_t timeoutMs) = 0;
    // Closes what is open (shutting a socket down both ways first). False when the close failed;
    // the port then stays open.
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual int LastError() const = 0;

    // Reads at most `size` bytes. With kUseLineTimeouts, the line's time-outs decide as
    // COMMTIMEOUTS do: the read ends when the interval passes after a byte or the total
    // (multiplier x size + constant) runs out, with what arrived. With waitMs >= 0 it waits up to
    // waitMs for data and returns what has arrived. Returns the count (0 = time-out), or -1 on
    // failure (a closed peer is a failure).
    virtual int64_t Read(char* buffer, size_t size, int64_t waitMs) = 0;
    // Writes up to `size` bytes. With kUseLineTimeouts the line's write time-outs bound it,
    // else waitMs. Returns the count accepted (possibly fewer than asked), or -1 on failure,
    // which includes a time-out with nothing accepted.
    virtual int64_t Write(const char* data, size_t size, int64_t waitMs) = 0;
    // Bytes that can be read now, looking at most `maxBytes` ahead and waiting at most waitUs for
    // the first; -1 on failure. Used for network ports.
    virtual int64_t Peek(size_t maxBytes, int64_t waitUs) = 0;
    // Bytes written to a network connection that have not yet left the machine or that the peer
    // has not yet acknowledged; 0 once all output is through. -1 on failure or for other kinds.
    virtual int64_t UnacknowledgedOutput() = 0;

    // SetCommTimeouts: the time-outs that kUseLineTimeouts reads and writes follow.
    virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;
    // SetCommConfig / GetCommConfig on the open line.
    virtual bool SetConfig(const CommConfig& config) = 0;
    virtual std::optional<CommConfig> GetConfig() = 0;
    // GetDefaultCommConfig: the current settings of the line at `path`, read without keeping it
    // open. nullopt when it cannot be opened or is no serial line.
    virtual std::optional<CommConfig> DefaultConfig(const std::string& path) = 0;

    // ClearCommError: clears the error state and reports it with the queue counts.
    virtual std::optional<CommStatus> ClearCommError() = 0;
    // GetCommModemStatus: the modem line bits (kModemDsrOn ...).
    virtual std::optional<uint32_t> ModemStatus() = 0;
    virtual bool SetDtr(bool on) = 0;
    virtual bool SetRts(bool on) = 0;
    virtual bool ClearBreak() = 0;
    // The device status request of a USB printer node: the number of status bytes returned,
    // 0 when the device returned nothing (it is gone), 2 when it answered.
    virtual int DeviceStatusBytes() = 0;
    // The parallel status byte (0x04 paper empty, 0x08 off line, 0x10 power off, 0x20 not
    // connected, 0x40 busy, 0x80 selected); nullopt when the query failed.
    virtual std::optional<uint8_t> ParallelStatus() = 0;
};

// The real backend: serial (termios), parallel (lp), USB printer node and TCP.
std::unique_ptr<PortBackend> MakeSystemPortBackend();

}  // namespace varnel
