#include "io/IOComm.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "base/Clock.h"
#include "base/Reporter.h"
#include "io/BuildCommDcb.h"
#include "io/NetworkAddress.h"
#include "io/NetworkPortList.h"
#include "io/PortErrorText.h"
#include "io/PortName.h"
#include "io/ReadWaits.h"
#include "io/Reconnect.h"
#include "io/Substitution.h"

namespace varnel {
namespace {

constexpr int kOpenAttempts = 2;
constexpr int64_t kCloseRetryDelayMs = 100;
constexpr int64_t kEndStringPauseMs = 500;
constexpr int kMaxWriteRounds = 10;
constexpr int64_t kPartialWritePauseMs = 1000;
constexpr int64_t kDeviceWriteWaitMs = 5000;
constexpr size_t kMaxDeviceRead = 2000;
constexpr size_t kDeviceReadWaitBytes = 10;  // the read wait counts at most ten bytes
constexpr size_t kNetworkPeekLimit = 999;
constexpr int64_t kNetworkPeekWaitUs = 100;
constexpr int64_t kMinConnectTimeoutMs = 5000;
constexpr uint32_t kNetworkMinTimeoutMs = 100;
constexpr uint32_t kNetworkOpenTimeoutMs = 100;
constexpr int kStatusQueryFailed = 200;
constexpr int kPendingUnknown = -1;
constexpr int kPendingNotReady = -2;
constexpr int64_t kNetworkMaxDrainMs = 300;
// How often a network drain asks whether the printer has acknowledged the output: short against
// the 300 ms bound, long enough not to spin (a LAN acknowledges in well under a millisecond).
constexpr int64_t kNetworkDrainPollMs = 1;
constexpr int64_t kDrainRoundMs = 10;
constexpr int64_t kMsPerDrainRound = 500;
constexpr int64_t kMsPerDrainRoundParallelNt = 25000;
constexpr int64_t kDeviceDrainDivisor = 100;

// Flow-control defaults of the XON/XOFF kind.
constexpr uint16_t kXonLimit = 256;
constexpr uint16_t kXoffLimit = 100;

// Parallel status bits.
constexpr uint8_t kParallelPaperEmpty = 0x04;
constexpr uint8_t kParallelOffLine = 0x08;
constexpr uint8_t kParallelPowerOff = 0x10;
constexpr uint8_t kParallelNotConnected = 0x20;
constexpr uint8_t kParallelBusy = 0x40;
constexpr uint8_t kParallelSelected = 0x80;
constexpr uint8_t kParallelErrorBits = kParallelPaperEmpty | kParallelOffLine | kParallelPowerOff | kParallelNotConnected;
constexpr int kBusyQueries = 10;
constexpr int64_t kBusyQueryIntervalMs = 30;
constexpr int kOsMajorWithReadyStatusValues = 5;

const std::string kOutputFailed = "IOComm::Output() failed, GetLastError() returned: ";
const std::string kInputFailed = "IOComm::Input() failed, GetLastError() returned: ";
const std::string kOpenFailed = "IOComm::Open() failed, GetLastError() returned: ";
const std::string kConfigFailed = "SetCommConfig(IOHandle, ....) failed, GetLastError() returned: ";
const std::string kTimeoutsFailed = "SetCommTimeouts(IOHandle, ....) failed, GetLastError() returned: ";
const std::string kBaudFailed = "SetBaud() failed, GetLastError() returned: ";
const std::string kPendingFailed = "IOComm::InputPending(): ClearCommError() failed";
const std::string kTestFailed = "IOComm::TestIO() failed";
const std::string kIgnoringError = " Ignoring Error";
const std::string kDebugModeText = "DebugMode: ";

std::string UpToZero(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace

IOComm::IOComm(SettingsStore& store, Clock& clock, Reporter& reporter, std::unique_ptr<PortBackend> backend,
               UserInterface* ui)
    : store_(store), clock_(clock), reporter_(reporter), ownedBackend_(std::move(backend)),
      backend_(ownedBackend_.get()), ui_(ui) {
    // Opening a device to learn its settings would pulse the modem lines of whatever hangs on
    // it, whichever port this run uses: a new object starts from fixed line settings instead.
    settings_.Config = DefaultLineConfig();
}

IOComm::IOComm(SettingsStore& store, Clock& clock, Reporter& reporter, PortBackend& backend, UserInterface* ui)
    : store_(store), clock_(clock), reporter_(reporter), backend_(&backend), ui_(ui) {
    settings_.Config = DefaultLineConfig();
}

IOComm::~IOComm() {
    if (backend_->IsOpen()) backend_->Close();
}

// ---- reporting -------------------------------------------------------------------------------

void IOComm::ReportText(const std::string& text) { reporter_.ReportMessage(text, event::kGeneral, kSeverityMessage); }

void IOComm::ReportFailure(const std::string& text) { reporter_.ReportPortFailure(text); }

void IOComm::Fail(const std::string& text) {
    errorFlag_ = true;
    lastErrorText_ = text;
}

void IOComm::FailWithError(const std::string& prefix) { Fail(prefix + std::to_string(backend_->LastError())); }

void IOComm::FailOpen(PortKind kind, const std::string& where) {
    const int error = backend_->LastError();
    Fail(kOpenFailed + std::to_string(error) + PortErrorWords(error, kind, where));
}

// ---- connections -----------------------------------------------------------------------------

int IOComm::Open(const std::string& name, const std::string& commString, SaveCommSetup save) {
    if (IsOpen()) return 1;
    settings_.SaveCommSetup = save == SaveCommSetup::Yes;
    SetHandshake(settings_.Handshake);
    portName_ = name;
    commString_ = commString;
    settings_.PortType = ClassifyPortName(portName_);
    if (settings_.PortType == PortKind::Serial) portName_ = FixSerialName(portName_);
    if (!settings_.SettingsLoaded) LoadSettings();
    return Open();
}

int IOComm::Open() {
    if (IsOpen()) return 1;
    reopenBeforeOutput_ = false;
    errorFlag_ = false;
    bytesWritten_ = 0;
    lastErrorText_.clear();
    if (portName_.empty()) return 0;
    settings_.PortType = ClassifyPortName(portName_);
    if (!settings_.SettingsLoaded) LoadSettings();
    if (IsOpen()) return 1;  // loading may have run port setup, which opens and closes

    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        NormaliseFlowControl(true);
        const PortKind kind = settings_.PortType;
        Dcb& dcb = settings_.Config.dcb;
        std::string name = portName_;
        if (kind == PortKind::Network) {
            name = ResolveNetworkName(name, store_);
            if (name.find(':') == std::string::npos) return 0;
        }
        if (kind == PortKind::Serial && !dcb.Has(dcb::fOutxCtsFlow)) dcb.SetDtrControl(dcb::kDtrControlDisable);
        if (settings_.DebugMode != 0) ReportText(kDebugModeText + std::to_string(settings_.DebugMode));
        if (kind == PortKind::Network) return OpenNetwork(name);
        if ((kind == PortKind::Serial || kind == PortKind::Parallel) && !IsNativePath(name) && !name.empty() &&
            name.back() != ':' && name.front() != '\\')
            name += ':';

        const std::string path = DevicePathForPort(name, store_);
        if (!backend_->Open(kind, path)) FailOpen(kind, path);

        if (kind == PortKind::Device && !errorFlag_) {
            backend_->SetTimeouts(settings_.Timeouts);
            SendExtra(settings_.Extras.Start);
            return 1;
        }
        bool configFailed = false;
        if (kind == PortKind::Serial) {
            if (!commString_.empty()) BuildCommDcb(commString_, dcb);
            if (!errorFlag_ && !backend_->SetConfig(settings_.Config)) {
                configFailed = true;
                FailWithError(kConfigFailed);
                if (settings_.DebugMode & kDebugIgnoreConfigErrors) {
                    errorFlag_ = false;
                    ReportFailure(lastErrorText_ + kIgnoringError);
                }
            }
        }
        if (!errorFlag_ && !backend_->SetTimeouts(settings_.Timeouts)) {
            FailWithError(kTimeoutsFailed);
            bool ignored = (settings_.DebugMode & kDebugIgnoreConfigErrors) ||
                           (kind == PortKind::Parallel && os_.ntFamily) || kind == PortKind::Device;
            if (ignored) errorFlag_ = false;
        }
        if (!errorFlag_ || kind != PortKind::Serial) break;
        CloseHandleWithRetry();
        if (!configFailed) break;
        // The line refused the configuration: try the same node once more as a plain device.
        errorFlag_ = false;
        settings_.PortType = PortKind::Device;
        if (!portName_.empty() && portName_.back() == ':') portName_.pop_back();
    }

    if (errorFlag_) {
        ReportFailure(lastErrorText_);
        CloseHandleWithRetry();
        return 0;
    }
    SendExtra(settings_.Extras.Start);
    return 1;
}

int IOComm::OpenNetwork(const std::string& name) {
    if (IsOpen()) return 1;
    auto target = SplitHostPort(name);
    if (!target) return 0;
    int64_t timeoutMs = std::max<int64_t>(kMinConnectTimeoutMs, settings_.Timeouts.WriteTotalTimeoutConstant);
    if (!backend_->Connect(target->host, target->port, timeoutMs)) {
        // Said in words, with host and port: otherwise an unreachable printer shows only as a
        // failed exchange.
        FailOpen(PortKind::Network, HostPortText(target->host, target->port));
        ReportFailure(lastErrorText_);
        return 0;
    }
    RememberNetworkPort(name);
    SetTimeouts(kNetworkOpenTimeoutMs, 0);
    errorFlag_ = false;
    return 1;
}

void IOComm::RememberNetworkPort(const std::string& name) {
    SettingsKey key = OpenSettingsKey();
    std::string list;
    if (auto stored = key.Get("TCP")) {
        auto bytes = key.GetBytes("TCP", kTcpListSize);
        if (!bytes) return;  // a list we cannot hold whole is left as it is
        list = UpToZero(*bytes);
    }
    // Whole names only: one that is part of another is a printer of its own.
    const std::vector<std::string> names = NetworkPortNames(list);
    if (std::find(names.begin(), names.end(), name) != names.end()) return;
    // Keep a zero byte after the last name, so no reader runs off the end of the list.
    if (list.size() + 1 + name.size() >= kTcpListSize) return;
    list += ' ';
    list += name;
    list.resize(kTcpListSize, '\0');
    key.Set("TCP", RegValue::Binary(list));
}

bool IOComm::CloseHandleWithRetry() {
    if (!backend_->IsOpen()) return true;
    if (backend_->Close()) return true;
    clock_.Sleep(kCloseRetryDelayMs);
    return backend_->Close();
}

void IOComm::SendExtra(const std::string& text) {
    if (!settings_.Extras.DoExtra) return;
    // No substitution is applied to the start and end strings themselves.
    uint32_t doExtra = settings_.Extras.DoExtra;
    settings_.Extras.DoExtra = 0;
    OutputString(UpToZero(text));
    settings_.Extras.DoExtra = doExtra;
}

int IOComm::Close() {
    if (settings_.PortType == PortKind::Network) {
        backend_->Close();
        return 1;
    }
    if (IsOpen() && settings_.Extras.DoExtra) {
        SendExtra(settings_.Extras.End);
        clock_.Sleep(kEndStringPauseMs);
    }
    if (!CloseHandleWithRetry()) return 0;
    reopenBeforeOutput_ = false;
    return 1;
}

bool IOComm::Reconnect(RetryState& retry) {
    // A reconnect sends the end and start strings, which may fail and want a reconnect of
    // their own; one at a time.
    if (reconnecting_) return false;
    reconnecting_ = true;
    Close();
    clock_.Sleep(retry.TakeDelay());
    Open();
    reconnecting_ = false;
    return true;
}

// ---- line settings ---------------------------------------------------------------------------

void IOComm::NormaliseFlowControl(bool touchDsrOnXonXoff) {
    Dcb& d = settings_.Config.dcb;
    d.DCBlength = dcb::kDcbLength;
    d.Set(dcb::fBinary, true);
    if (d.Has(dcb::fOutX)) {
        d.Set(dcb::fInX, true);
        d.XonLim = kXonLimit;
        d.XoffLim = kXoffLimit;
        d.XonChar = dcb::kXonChar;
        d.XoffChar = dcb::kXoffChar;
        d.Set(dcb::fTXContinueOnXoff, true);
        d.Set(dcb::fOutxCtsFlow, false);
        d.SetDtrControl(dcb::kDtrControlDisable);
        if (touchDsrOnXonXoff) {
            d.Set(dcb::fDsrSensitivity, false);
            d.Set(dcb::fOutxDsrFlow, false);
        }
    } else if (d.Has(dcb::fOutxCtsFlow)) {
        d.Set(dcb::fOutX, false);
        d.Set(dcb::fInX, false);
        d.XonLim = d.XoffLim = 0;
        d.XonChar = d.XoffChar = 0;
        d.Set(dcb::fTXContinueOnXoff, false);
        d.Set(dcb::fOutxDsrFlow, true);
        d.SetDtrControl(dcb::kDtrControlEnable);
    } else {
        d.Set(dcb::fOutX, false);
        d.Set(dcb::fInX, false);
        d.Set(dcb::fOutxDsrFlow, false);
        d.Set(dcb::fTXContinueOnXoff, false);
        d.XonLim = d.XoffLim = 0;
        d.XonChar = d.XoffChar = 0;
        d.SetDtrControl(dcb::kDtrControlDisable);
    }
}

void IOComm::ApplyHandshakeBits(int kind) {
    Dcb& d = settings_.Config.dcb;
    switch (kind) {
        case kHandshakeNone:
            d.Set(dcb::fInX, false);
            d.Set(dcb::fOutX, false);
            d.Set(dcb::fOutxCtsFlow, false);
            d.SetDtrControl(dcb::kDtrControlDisable);
            d.SetRtsControl(dcb::kRtsControlDisable);
            break;
        case kHandshakeXonXoff:
            d.Set(dcb::fOutX, true);
            d.SetDtrControl(dcb::kDtrControlDisable);
            d.SetRtsControl(dcb::kRtsControlDisable);
            break;
        case kHandshakeHardware:
            d.Set(dcb::fInX, false);
            d.Set(dcb::fOutX, false);
            d.Set(dcb::fOutxCtsFlow, true);
            d.SetRtsControl(dcb::kRtsControlHandshake);
            break;
        default: break;
    }
}

int IOComm::SetHandshake(int kind) {
    settings_.Handshake = kind;
    bool known = kind == kHandshakeNone || kind == kHandshakeXonXoff || kind == kHandshakeHardware;
    ApplyHandshakeBits(kind);
    NormaliseFlowControl(false);
    Dcb& d = settings_.Config.dcb;
    const bool serial = settings_.PortType == PortKind::Serial;
    if (serial && !d.Has(dcb::fOutxCtsFlow)) d.SetDtrControl(dcb::kDtrControlDisable);
    if (serial && IsOpen()) backend_->SetConfig(settings_.Config);
    return known ? 1 : 0;
}

int IOComm::SetTimeouts(uint32_t constantMs, uint32_t multiplierMs) {
    CommTimeouts& t = settings_.Timeouts;
    if (settings_.PortType == PortKind::Network) {
        t.ReadTotalTimeoutConstant = t.WriteTotalTimeoutConstant = std::max(constantMs, kNetworkMinTimeoutMs);
        return 1;
    }
    t.ReadIntervalTimeout = multiplierMs;
    t.ReadTotalTimeoutMultiplier = multiplierMs;
    t.WriteTotalTimeoutMultiplier = multiplierMs;
    t.ReadTotalTimeoutConstant = constantMs;
    t.WriteTotalTimeoutConstant = constantMs;
    if (!IsOpen()) return 1;
    return backend_->SetTimeouts(t) ? 1 : 0;
}

int IOComm::SetBaud(uint32_t baud) {
    lastErrorText_.clear();
    if (!IsOpen()) return 0;
    settings_.Config.dcb.BaudRate = baud;
    if (settings_.PortType == PortKind::Serial && !backend_->SetConfig(settings_.Config)) {
        FailWithError(kBaudFailed);
        ReportFailure(lastErrorText_);
        if (settings_.DebugMode & kDebugIgnoreConfigErrors) {
            errorFlag_ = false;
            ReportFailure(lastErrorText_ + kIgnoringError);
        }
    }
    if (settings_.SaveCommSetup) WriteStoredCommConfig(OpenSettingsKey(), settings_.Config);
    return 1;
}

int IOComm::ClearBreak() {
    errorFlag_ = false;
    if (!IsOpen()) return 0;
    backend_->ClearCommError();
    return backend_->ClearBreak() ? 1 : 0;
}

int IOComm::SetParity(bool on) {
    Dcb& d = settings_.Config.dcb;
    d.Set(dcb::fParity, on);
    d.Parity = on ? 1 : 0;
    if (settings_.PortType == PortKind::Serial && IsOpen()) return backend_->SetConfig(settings_.Config) ? 1 : 0;
    return 1;
}

int IOComm::SetDtr(bool on) {
    if (!IsOpen()) return 0;
    return backend_->SetDtr(on) ? 1 : 0;
}

int IOComm::SetRts(bool on) {
    if (!IsOpen()) return 0;
    return backend_->SetRts(on) ? 1 : 0;
}

int IOComm::SetEventMask() {
    // The mask only matters to a wait for line events, which nothing here does; the Linux line
    // has no mask to set. Answers as the call would: done when the port is open.
    return IsOpen() ? 1 : 0;
}

// ---- data transfer ---------------------------------------------------------------------------

std::string IOComm::Substituted(const char* data, size_t count) const {
    return ApplySubstitutions(std::string_view(data, count), settings_.Extras);
}

int64_t IOComm::BlockWrite(std::string_view data) {
    switch (settings_.PortType) {
        case PortKind::Network:
            return backend_->Write(data.data(), data.size(), settings_.Timeouts.WriteTotalTimeoutConstant);
        case PortKind::Device: return backend_->Write(data.data(), data.size(), kDeviceWriteWaitMs);
        case PortKind::Serial:
        case PortKind::Parallel: return backend_->Write(data.data(), data.size(), kUseLineTimeouts);
    }
    return -1;
}

int IOComm::Output(const char* data, size_t count) {
    PortLock::Guard guard(portLock_);
    if (!guard.Held()) return 0;
    bytesWritten_ = 0;
    if (!IsOpen()) return 0;
    if (reopenBeforeOutput_ && settings_.PortType == PortKind::Parallel) {
        Close();
        Open();
    }
    reopenBeforeOutput_ = false;
    replyGraceMs_ = 0;  // a new command: an earlier drain's grace is spent
    // A reply read without a drain first gathers its pieces for as long as a drain could wait.
    replyWindowEndMs_ = clock_.NowMs() + kNetworkMaxDrainMs;
    if (!IsReady()) return 0;

    // Substituted once: a round that continues a partial write sends the rest of the result.
    const std::string out = Substituted(data, count);
    std::string_view remaining(out);
    bool failed = false;
    int errorNumber = 0;
    uint32_t written = 0;
    for (int round = 0; round < kMaxWriteRounds && !remaining.empty(); ++round) {
        int64_t n = BlockWrite(remaining);
        if (n >= 0) OutputRetryState().Succeeded();
        if (n < 0) {
            errorNumber = backend_->LastError();
            RetryState& retry = OutputRetryState();
            if (retry.CountFailure() && Reconnect(retry)) {
                n = BlockWrite(remaining);
                if (n >= 0) retry.Succeeded();
                else errorNumber = backend_->LastError();
            }
        }
        if (n < 0) {
            failed = true;
            break;
        }
        written += static_cast<uint32_t>(n);
        remaining.remove_prefix(static_cast<size_t>(n));
        if (n == 0 || remaining.empty()) break;
        clock_.Sleep(kPartialWritePauseMs);
    }
    bytesWritten_ = written;
    // Bytes the line would not take in time are as lost as those of a failed write.
    if (!failed && !remaining.empty()) {
        failed = true;
        errorNumber = ETIMEDOUT;
    }
    if (failed) {
        Fail(kOutputFailed + std::to_string(errorNumber));
        ReportFailure(lastErrorText_);
        return 0;
    }
    return 1;
}

int IOComm::TestIO(const char* data, size_t count) {
    PortLock::Guard guard(portLock_);
    if (!guard.Held()) return 0;
    if (!IsOpen()) return 0;
    if (BlockWrite(Substituted(data, count)) < 0) {
        Fail(kTestFailed);
        ReportFailure(lastErrorText_);
        return 0;
    }
    return 1;
}

int64_t IOComm::DeviceRead(char* buffer, size_t size) {
    // A read returns what has arrived; keep reading the rest until a wait passes with nothing.
    size_t total = 0;
    while (total < size) {
        size_t want = size - total;
        int64_t waitMs = int64_t{settings_.Timeouts.ReadTotalTimeoutMultiplier} *
                             static_cast<int64_t>(std::min(want, kDeviceReadWaitBytes)) +
                         settings_.Timeouts.ReadTotalTimeoutConstant;
        int64_t n = backend_->Read(buffer + total, want, waitMs);
        if (n <= 0) return total > 0 ? static_cast<int64_t>(total) : -1;
        total += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(total);
}

// Waits for the first bytes as long as the read's total time-out allows, then gathers the rest of
// the reply until the count asked for or the end of the reply window: the moment the fixed network
// drain (min(t, 300) ms) would have ended. A reply that reaches the machine in pieces within that
// window is therefore read whole, as after the fixed drain, and no read gathers beyond it; the
// serial per-byte times play no part. The part of the last drain that the printer's
// acknowledgement made unnecessary is added to the wait for the first bytes, so a printer that is
// slow to answer keeps the time it had when the drain was a fixed pause.
int64_t IOComm::NetworkRead(char* buffer, size_t size) {
    CommTimeouts limits = settings_.Timeouts;
    limits.ReadTotalTimeoutMultiplier = 0;  // a network read's total is its constant alone
    limits.ReadIntervalTimeout = 0;
    const int64_t grace = std::exchange(replyGraceMs_, 0);
    const int64_t start = clock_.NowMs();
    const int64_t first = backend_->Read(buffer, size, ReadWaits(limits, size, start).Next(0, start) + grace);
    // A printer with nothing to say is no failed read: the connection stays as it is.
    if (first <= 0) return first < 0 ? -1 : 0;
    size_t got = static_cast<size_t>(first);
    while (got < size) {
        const int64_t n = backend_->Read(buffer + got, size - got, std::max<int64_t>(replyWindowEndMs_ - clock_.NowMs(), 0));
        if (n <= 0) break;  // the window's end, or a failure the next read will meet
        got += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(got);
}

int64_t IOComm::BlockRead(char* buffer, size_t size) {
    if (size == 0) return -1;
    switch (settings_.PortType) {
        case PortKind::Network: return NetworkRead(buffer, size);
        case PortKind::Device: return DeviceRead(buffer, std::min(size, kMaxDeviceRead));
        case PortKind::Serial:
        case PortKind::Parallel: return backend_->Read(buffer, size, kUseLineTimeouts);
    }
    return -1;
}

int IOComm::Input(char* buffer, size_t size) {
    PortLock::Guard guard(portLock_);
    if (!guard.Held()) return 0;
    reopenBeforeOutput_ = true;
    if (!IsOpen()) return 0;
    if (!IsReady()) return 0;

    int64_t n = BlockRead(buffer, size);
    int errorNumber = n < 0 ? backend_->LastError() : 0;
    // Only failures in a row call for a reconnect.
    if (n >= 0) InputRetryState().Succeeded();
    if (n < 0) {
        RetryState& retry = InputRetryState();
        if (retry.CountFailure() && Reconnect(retry)) {
            n = BlockRead(buffer, size);
            if (n >= 0) retry.Succeeded();
            else errorNumber = backend_->LastError();
        }
    }
    if (n <= 0) {
        // Kept for the caller to look at; a read that brings nothing is not reported.
        Fail(kInputFailed + std::to_string(n < 0 ? errorNumber : backend_->LastError()));
        return 0;
    }
    return static_cast<int>(n);
}

bool IOComm::ModemDsrOn() {
    std::optional<uint32_t> lines = backend_->ModemStatus();
    if (!lines) {
        RetryState& retry = StatusRetryState();
        if (retry.CountFailure() && Reconnect(retry)) {
            lines = backend_->ModemStatus();
            if (lines) retry.Succeeded();
        }
    }
    return lines && (*lines & kModemDsrOn);
}

int IOComm::ParallelReady() {
    if (!os_.ntFamily) {
        auto status = backend_->ClearCommError();
        if (!status) return 1;
        return (status->errors & (kCommErrorNotSelected | kCommErrorOutOfPaper)) ? 0 : 1;
    }
    std::optional<uint8_t> status = backend_->ParallelStatus();
    if (!status) return 1;
    if (os_.majorVersion == kOsMajorWithReadyStatusValues && (*status == 0x44 || *status == 0x04 || *status == 0x00))
        return 1;
    if ((*status & kParallelErrorBits) || !(*status & kParallelSelected)) return 0;
    for (int query = 0; query < kBusyQueries && (*status & kParallelBusy); ++query) {
        clock_.Sleep(kBusyQueryIntervalMs);
        status = backend_->ParallelStatus();
        if (!status) return 1;
    }
    return (*status & kParallelBusy) ? 0 : 1;
}

int IOComm::IsReady() {
    switch (settings_.PortType) {
        case PortKind::Device: {
            int bytes = backend_->DeviceStatusBytes();
            // The device is gone: close the handle (no end string, there is no one to take it).
            if (bytes == 0) {
                CloseHandleWithRetry();
                reopenBeforeOutput_ = false;
            }
            return (bytes != 0 && bytes % 2 == 0) ? 1 : 0;
        }
        case PortKind::Network: return IsOpen() ? 1 : 0;
        case PortKind::Parallel: return ParallelReady();
        case PortKind::Serial:
            if (settings_.Handshake == kHandshakeHardware) return ModemDsrOn() ? 1 : 0;
            if (settings_.Handshake == kHandshakeXonXoff) {
                auto status = backend_->ClearCommError();
                return (status && !status->heldByXoff) ? 1 : 0;
            }
            return 1;
    }
    return 1;
}

int IOComm::StatusPending(bool output) {
    if (!IsOpen()) return 0;
    switch (settings_.PortType) {
        case PortKind::Device: return IsReady() ? 0 : kPendingNotReady;
        case PortKind::Parallel:
            if (!output || os_.ntFamily) return kPendingUnknown;
            break;
        case PortKind::Network:
            if (output) return kPendingNotReady;
            if (int64_t n = backend_->Peek(kNetworkPeekLimit, kNetworkPeekWaitUs); n >= 0) return static_cast<int>(n);
            break;
        case PortKind::Serial: break;
    }
    if (settings_.PortType != PortKind::Network) {
        if (auto status = backend_->ClearCommError()) return static_cast<int>(output ? status->outQueue : status->inQueue);
    }
    Fail(kPendingFailed);
    ReportFailure(kPendingFailed);
    return (settings_.DebugMode & kDebugQuietStatusFailure) ? 0 : kStatusQueryFailed;
}

int IOComm::InputPending() { return StatusPending(false); }

int IOComm::OutputPending() { return StatusPending(true); }

int IOComm::WaitOutput(int64_t ms) {
    if (settings_.PortType == PortKind::Device) clock_.Sleep(ms / kDeviceDrainDivisor);
    if (settings_.PortType == PortKind::Network) {
        NetworkDrain(std::min(ms, kNetworkMaxDrainMs));
        return 1;
    }
    bool parallelNt = settings_.PortType == PortKind::Parallel && os_.ntFamily;
    int64_t rounds = ms / (parallelNt ? kMsPerDrainRoundParallelNt : kMsPerDrainRound);
    while (rounds > 0 && OutputPending() != 0) {
        clock_.Sleep(kDrainRoundMs);
        --rounds;
    }
    return OutputPending();
}

// Waits until the printer has acknowledged every byte sent, at most `limitMs`. With
// "NetworkFixedDrain", or when the count cannot be had, the whole of `limitMs` is waited.
void IOComm::NetworkDrain(int64_t limitMs) {
    const int64_t start = clock_.NowMs();
    replyWindowEndMs_ = start + limitMs;
    int64_t left = limitMs;
    while (left > 0) {
        const int64_t unacknowledged = settings_.NetworkFixedDrain ? -1 : backend_->UnacknowledgedOutput();
        if (unacknowledged == 0) break;
        clock_.Sleep(unacknowledged < 0 ? left : std::min(kNetworkDrainPollMs, left));
        left = limitMs - (clock_.NowMs() - start);
    }
    replyGraceMs_ = std::max<int64_t>(left, 0);
}

}  // namespace varnel
