#include "io/NetworkAddress.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <cctype>
#include <cstring>
#include <memory>

#include "base/TextNumbers.h"
#include "io/SettingsStore.h"

namespace varnel {
namespace {

bool InAddressForm(std::string_view name) {
    return !name.empty() && (std::isdigit(static_cast<unsigned char>(name.front())) || name.front() == '[');
}

// The monitor entry whose name is the start of the port name, as "address:port".
std::optional<std::string> MonitorEntry(std::string_view name, const SettingsStore& store) {
    int examined = 0;
    for (const std::string& subkey : store.SubKeys(kTcpMonitorPortsKey)) {
        if (++examined > kMaxMonitorPorts) break;
        if (subkey.empty() || subkey.size() >= kMonitorPortNameSize) continue;
        if (name.substr(0, subkey.size()) != subkey) continue;
        std::string key = std::string(kTcpMonitorPortsKey) + "\\" + subkey;
        auto number = store.GetValue(key, "PortNumber");
        auto address = store.GetValue(key, "IPAddress");
        std::optional<uint32_t> port = number ? number->AsDword() : std::nullopt;
        if (!port || !address || address->data.size() >= kMonitorAddressSize) return std::string();
        std::string host = address->data.substr(0, address->data.find('\0'));
        return host + ":" + std::to_string(*port & 0xFFFFu);
    }
    return std::nullopt;
}

}  // namespace

std::optional<HostPort> SplitHostPort(std::string_view name) {
    size_t colon = name.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    HostPort target;
    std::string_view host = name.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    target.host = std::string(host);
    target.port = static_cast<uint16_t>(static_cast<uint32_t>(AtoI(name.substr(colon + 1))) & 0xFFFFu);
    return target;
}

std::string ResolveNetworkName(std::string_view name, const SettingsStore& store) {
    if (InAddressForm(name)) return std::string(name);
    if (auto entry = MonitorEntry(name, store)) return *entry;
    return std::string(name);
}

std::optional<sockaddr_storage> SocketAddressFor(const HostPort& target, socklen_t& length) {
    sockaddr_storage storage{};
    in_addr v4{};
    if (inet_aton(target.host.c_str(), &v4) != 0) {
        auto* sin = reinterpret_cast<sockaddr_in*>(&storage);
        sin->sin_family = AF_INET;
        sin->sin_port = htons(target.port);
        sin->sin_addr = v4;
        length = sizeof(sockaddr_in);
        return storage;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, target.host.c_str(), &v6) == 1) {
        auto* sin6 = reinterpret_cast<sockaddr_in6*>(&storage);
        sin6->sin6_family = AF_INET6;
        sin6->sin6_port = htons(target.port);
        sin6->sin6_addr = v6;
        length = sizeof(sockaddr_in6);
        return storage;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* raw = nullptr;
    if (target.host.empty() || getaddrinfo(target.host.c_str(), nullptr, &hints, &raw) != 0 || !raw)
        return std::nullopt;
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> found(raw, &freeaddrinfo);
    std::memcpy(&storage, found->ai_addr, found->ai_addrlen);
    length = found->ai_addrlen;
    if (storage.ss_family == AF_INET)
        reinterpret_cast<sockaddr_in*>(&storage)->sin_port = htons(target.port);
    else if (storage.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port = htons(target.port);
    else
        return std::nullopt;
    return storage;
}

}  // namespace varnel
