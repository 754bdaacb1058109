#include "io/SerialBackend.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace varnel {
namespace {

// Modem status bits in the form callers read them.
constexpr uint32_t kModemCtsOn = 0x10;
constexpr uint32_t kModemRingOn = 0x40;
constexpr uint32_t kModemRlsdOn = 0x80;

bool ValidDcb(const Dcb& d) {
    bool byteSizeOk = d.ByteSize == 0 || (d.ByteSize >= 5 && d.ByteSize <= 8);
    return byteSizeOk && d.Parity <= dcb::kSpaceParity && d.StopBits <= dcb::kTwoStopBits;
}

std::optional<CommConfig> ConfigOf(int fd) {
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) != 0) return std::nullopt;
    CommConfig config;
    config.dwSize = CommConfig::kSize;
    config.wVersion = CommConfig::kVersion;
    TermiosToDcb(tio, config.dcb);
    if (!config.dcb.Has(dcb::fOutxCtsFlow)) {
        int lines = 0;
        bool dtrOn = ::ioctl(fd, TIOCMGET, &lines) != 0 || (lines & TIOCM_DTR);
        config.dcb.SetDtrControl(dtrOn ? dcb::kDtrControlEnable : dcb::kDtrControlDisable);
        config.dcb.SetRtsControl(dcb::kRtsControlEnable);
    }
    return config;
}

bool SetLine(int fd, int bit, bool on) { return ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bit) == 0; }

}  // namespace

bool SerialBackend::Open(PortKind kind, const std::string& path) {
    Close();
    if (!DescriptorBackend::Open(kind, path)) return false;
    // Opened for this program alone, as the port is on Windows. Terminal programs that lock the
    // line (and a second Varnel) hold a lock on it: that is a busy device, also for root, whom
    // the exclusive mode does not stop.
    if (::flock(Fd(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        Close();
        SetError(EBUSY);
        return false;
    }
    // A node that is no tty keeps going and is refused at its configuration.
    exclusive_ = ::ioctl(Fd(), TIOCEXCL) == 0;
    return true;
}

bool SerialBackend::Close() {
    // The exclusive mode belongs to the tty, not to this descriptor: left on, it outlives the
    // close while any other process has the line open and turns every later open away.
    if (IsOpen() && std::exchange(exclusive_, false)) ::ioctl(Fd(), TIOCNXCL);
    return DescriptorBackend::Close();
}

bool SerialBackend::SetConfig(const CommConfig& config) {
    if (!IsOpen()) return Unsupported();
    const Dcb& d = config.dcb;
    if (!ValidDcb(d)) {
        SetError(EINVAL);
        return false;
    }
    termios2 tio{};
    if (::ioctl(Fd(), TCGETS2, &tio) != 0) return Failed();
    DcbToTermios(d, tio);
    if (::ioctl(Fd(), TCSETS2, &tio) != 0) return Failed();
    // DTR and RTS follow the record unless flow control drives them; a line without modem
    // lines (a pseudo-terminal) has nothing to set.
    if (d.DtrControl() != dcb::kDtrControlHandshake) SetLine(Fd(), TIOCM_DTR, d.DtrControl() == dcb::kDtrControlEnable);
    if (d.RtsControl() == dcb::kRtsControlEnable || d.RtsControl() == dcb::kRtsControlDisable)
        SetLine(Fd(), TIOCM_RTS, d.RtsControl() == dcb::kRtsControlEnable);
    return true;
}

std::optional<CommConfig> SerialBackend::GetConfig() {
    if (!IsOpen()) {
        Unsupported();
        return std::nullopt;
    }
    auto config = ConfigOf(Fd());
    if (!config) Failed();
    return config;
}

std::optional<CommConfig> SerialBackend::DefaultConfig(const std::string& path) {
    if (IsOpen() && path == Path()) return GetConfig();
    return ReadLineConfig(path);
}

std::optional<CommConfig> SerialBackend::ReadLineConfig(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) return std::nullopt;
    return ConfigOf(fd.Get());
}

std::optional<uint32_t> SerialBackend::ModemStatus() {
    if (!IsOpen()) {
        Unsupported();
        return std::nullopt;
    }
    int lines = 0;
    if (::ioctl(Fd(), TIOCMGET, &lines) != 0) {
        // A line without modem lines (a pseudo-terminal) counts as a cable with DSR wired.
        if (errno == ENOTTY || errno == EINVAL) return kModemDsrOn;
        Failed();
        return std::nullopt;
    }
    uint32_t status = 0;
    if (lines & TIOCM_CTS) status |= kModemCtsOn;
    if (lines & TIOCM_DSR) status |= kModemDsrOn;
    if (lines & TIOCM_RNG) status |= kModemRingOn;
    if (lines & TIOCM_CAR) status |= kModemRlsdOn;
    return status;
}

bool SerialBackend::SetDtr(bool on) {
    if (!IsOpen()) return Unsupported();
    return SetLine(Fd(), TIOCM_DTR, on) || Failed();
}

bool SerialBackend::SetRts(bool on) {
    if (!IsOpen()) return Unsupported();
    return SetLine(Fd(), TIOCM_RTS, on) || Failed();
}

bool SerialBackend::ClearBreak() {
    if (!IsOpen()) return Unsupported();
    return ::ioctl(Fd(), TIOCCBRK) == 0 || Failed();
}

int64_t SerialBackend::Peek(size_t maxBytes, int64_t /*waitUs*/) {
    auto status = ClearCommError();
    if (!status) return -1;
    return std::min<int64_t>(status->inQueue, static_cast<int64_t>(maxBytes));
}

}  // namespace varnel
