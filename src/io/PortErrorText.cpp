#include "io/PortErrorText.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "base/AsciiText.h"

namespace varnel {
namespace {

struct Reason {
    std::string_view words;
    std::string_view fix;  // empty: none to give
};

constexpr std::string_view kNoFix;

// The group that may open a node of this kind on Debian and its relatives.
std::string_view PermissionFix(PortKind kind) {
    switch (kind) {
        case PortKind::Serial: return "add the user to the dialout group";
        case PortKind::Parallel:
        case PortKind::Device: return "add the user to the lp group";
        case PortKind::Network: return "a firewall rule of this computer may block it";
    }
    return kNoFix;
}

std::string_view BusyFix(PortKind kind) {
    switch (kind) {
        case PortKind::Serial: return "another program has the port open; close it";
        case PortKind::Parallel:
        case PortKind::Device: return "another program, such as a print spooler, has it open; stop it";
        case PortKind::Network: return kNoFix;
    }
    return kNoFix;
}

std::optional<Reason> NetworkReason(int error) {
    switch (error) {
        case ECONNREFUSED:
            return Reason{"connection refused", "nothing listens on that port; check the port number and that the "
                                                "printer is switched on"};
        case EHOSTUNREACH:
            return Reason{"host unreachable", "check the address, the network cable and that the printer is "
                                              "switched on"};
        case ENETUNREACH:
            return Reason{"network unreachable", "check the address and this computer's network connection"};
        case ETIMEDOUT:
            return Reason{"connection timed out", "check the address and that the printer is switched on and on "
                                                  "this network"};
        case ENOENT:  // the resolver knows no such host
            return Reason{"host name not found", "check the name, or use the printer's IP address"};
        default: return std::nullopt;
    }
}

std::optional<Reason> DeviceReason(int error) {
    switch (error) {
        case ENOENT:
            return Reason{"no such device", "check the port name and that the device is plugged in"};
        case ENODEV:
        case ENXIO:
            return Reason{"no such device", "check that the device is plugged in and switched on"};
        case EIO:
            return Reason{"input/output error", "check the cable and that the device is switched on"};
        case EISDIR: return Reason{"a folder, not a device", "check the port name"};
        default: return std::nullopt;
    }
}

// The system's own description ("Broken pipe"), in the C locale's English, starting lower case.
std::string SystemWords(int error) {
    const char* text = strerrordesc_np(error);
    if (!text) return "error " + std::to_string(error);
    std::string words(text);
    if (!words.empty()) words.front() = ToLowerAscii(words.front());
    return words;
}

}  // namespace

std::string PortErrorWords(int error, PortKind kind, std::string_view where) {
    std::string words;
    std::string_view fix;
    if (error == EACCES || error == EPERM) {
        words = "permission denied";
        fix = PermissionFix(kind);
    } else if (error == EBUSY) {
        words = "device busy";
        fix = BusyFix(kind);
    } else if (auto reason = kind == PortKind::Network ? NetworkReason(error) : DeviceReason(error)) {
        words = reason->words;
        fix = reason->fix;
    } else {
        words = SystemWords(error);
    }
    std::string text = " (";
    text.append(where).append(": ").append(words);
    if (!fix.empty()) text.append("; ").append(fix);
    text += ')';
    return text;
}

std::string HostPortText(std::string_view host, unsigned port) {
    std::string text;
    if (host.find(':') != std::string_view::npos)
        text.append("[").append(host).append("]");
    else
        text.append(host);
    return text + ":" + std::to_string(port);
}

}  // namespace varnel
