#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

class SettingsStore;

inline constexpr int kMaxMonitorPorts = 500;
inline constexpr size_t kMonitorPortNameSize = 200;
inline constexpr size_t kMonitorAddressSize = 300;

struct HostPort {
    std::string host;  // without the brackets of an IPv6 address
    uint16_t port = 0;
};

// Splits "address:port" at its last ':' ("[::1]:9100" gives ::1). The port text is read as a
// decimal number, keeping its low 16 bits. None when there is no ':'.
std::optional<HostPort> SplitHostPort(std::string_view name);

// The address:port a network port name stands for. Names that begin with a digit (or '[') are
// already in that form. Others are looked up among the print monitor's ports in the store; a
// name found nowhere there is used as host:port as it is, for the resolver. Empty when the
// monitor entry is incomplete.
std::string ResolveNetworkName(std::string_view name, const SettingsStore& store);

// The socket address of a host (IPv4 in any form inet_aton reads, IPv6, or a host name through
// getaddrinfo) and port. None when the host cannot be resolved.
std::optional<sockaddr_storage> SocketAddressFor(const HostPort& target, socklen_t& length);

}  // namespace varnel
