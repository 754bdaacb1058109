#include "TcpChannel.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace varnel::sim {
namespace {

constexpr int kListenQueue = 8;

std::string AddressText(const sockaddr_storage& address) {
    char host[INET6_ADDRSTRLEN] = {};
    int port = 0;
    if (address.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &in6.sin6_addr, host, sizeof host);
        port = ntohs(in6.sin6_port);
        return "[" + std::string(host) + "]:" + std::to_string(port);
    }
    const auto& in4 = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &in4.sin_addr, host, sizeof host);
    port = ntohs(in4.sin_port);
    return std::string(host) + ":" + std::to_string(port);
}

struct AddressList {
    addrinfo* list = nullptr;
    ~AddressList() {
        if (list) freeaddrinfo(list);
    }
};

}  // namespace

std::unique_ptr<TcpChannel> TcpChannel::Listen(const std::string& host, int port, std::string& error) {
    std::string bare = host;
    if (bare.size() > 2 && bare.front() == '[' && bare.back() == ']') bare = bare.substr(1, bare.size() - 2);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    AddressList addresses;
    const int found = getaddrinfo(bare.c_str(), std::to_string(port).c_str(), &hints, &addresses.list);
    if (found != 0) {
        error = "cannot use the address " + host + ": " + gai_strerror(found);
        return nullptr;
    }
    auto channel = std::unique_ptr<TcpChannel>(new TcpChannel());
    for (const addrinfo* each = addresses.list; each; each = each->ai_next) {
        UniqueFd listener(socket(each->ai_family, each->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, each->ai_protocol));
        if (!listener.Valid()) continue;
        const int yes = 1;
        setsockopt(listener.Get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (bind(listener.Get(), each->ai_addr, each->ai_addrlen) != 0 || listen(listener.Get(), kListenQueue) != 0) {
            error = "cannot listen on " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
            continue;
        }
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&bound), &length);
        channel->name_ = AddressText(bound);
        channel->listener_ = std::move(listener);
        return channel;
    }
    if (error.empty()) error = "no address to listen on for " + host;
    return nullptr;
}

bool TcpChannel::AcceptHost(std::string& who) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    const int fd = accept4(listener_.Get(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return false;
    connection_.Reset(fd);
    // Replies are a few bytes each and a host waits for them: no Nagle delay.
    const int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    who = AddressText(peer);
    return true;
}

}  // namespace varnel::sim
