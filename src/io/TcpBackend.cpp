#include "io/TcpBackend.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <linux/sockios.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "io/NetworkAddress.h"

namespace varnel {

bool TcpBackend::Open(PortKind, const std::string&) { return Unsupported(); }

bool TcpBackend::Connect(const std::string& host, uint16_t port, int64_t timeoutMs) {
    socket_.Reset();
    socklen_t length = 0;
    auto address = SocketAddressFor(HostPort{host, port}, length);
    if (!address) {
        SetError(ENOENT);  // no such host, as a missing node is no such device
        return false;
    }
    UniqueFd s(::socket(address->ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!s.Valid()) return Failed();
    // Commands are short and answered at once; do not hold them back waiting for more.
    int one = 1;
    ::setsockopt(s.Get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(s.Get(), reinterpret_cast<const sockaddr*>(&*address), length) != 0) {
        if (errno != EINPROGRESS) return Failed();
        // An address that never answers must not hold the program: the connect is bounded.
        int ready = PollFor(s.Get(), POLLOUT, timeoutMs);
        if (ready < 0) return Failed();
        if (ready == 0) {
            SetError(ETIMEDOUT);
            return false;
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(s.Get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) return Failed();
        if (error != 0) {
            SetError(error);
            return false;
        }
    }
    socket_ = std::move(s);
    return true;
}

bool TcpBackend::Close() {
    if (!socket_.Valid()) return true;
    ::shutdown(socket_.Get(), SHUT_RDWR);
    if (!socket_.Reset()) return Failed();
    return true;
}

bool TcpBackend::SetTimeouts(const CommTimeouts&) {
    // The network waits are passed with each read and write.
    return IsOpen() || Unsupported();
}

int64_t TcpBackend::Read(char* buffer, size_t size, int64_t waitMs) {
    if (!IsOpen()) return UnsupportedCount();
    if (size == 0) return 0;
    int ready = PollFor(socket_.Get(), POLLIN, std::max<int64_t>(waitMs, 0));
    if (ready < 0) return FailCount();
    if (ready == 0) {
        SetError(ETIMEDOUT);
        return 0;
    }
    ssize_t n = ::recv(socket_.Get(), buffer, size, MSG_DONTWAIT);
    if (n > 0) return n;
    if (n == 0) {
        SetError(ECONNRESET);  // the peer closed the connection
        return -1;
    }
    if (errno == EAGAIN || errno == EINTR) return 0;
    return FailCount();
}

int64_t TcpBackend::Write(const char* data, size_t size, int64_t waitMs) {
    if (!IsOpen()) return UnsupportedCount();
    if (size == 0) return 0;
    int ready = PollFor(socket_.Get(), POLLOUT, std::max<int64_t>(waitMs, 0));
    if (ready < 0) return FailCount();
    if (ready == 0) {
        SetError(ETIMEDOUT);
        return -1;
    }
    ssize_t n = ::send(socket_.Get(), data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) return n;
    return FailCount();
}

int64_t TcpBackend::Peek(size_t maxBytes, int64_t waitUs) {
    if (!IsOpen()) return UnsupportedCount();
    const int64_t us = std::max<int64_t>(waitUs, 0);
    timespec wait{static_cast<time_t>(us / 1'000'000), static_cast<long>(us % 1'000'000 * 1000)};
    pollfd p{socket_.Get(), POLLIN, 0};
    if (::ppoll(&p, 1, &wait, nullptr) <= 0) return 0;
    std::string scratch(maxBytes, '\0');
    ssize_t n = ::recv(socket_.Get(), scratch.data(), scratch.size(), MSG_PEEK | MSG_DONTWAIT);
    if (n >= 0) return n;
    if (errno == EAGAIN || errno == EINTR) return 0;
    return FailCount();
}

int64_t TcpBackend::UnacknowledgedOutput() {
    if (!IsOpen()) return UnsupportedCount();
    // Unsent bytes plus those sent but not yet acknowledged by the peer.
    int queued = 0;
    if (::ioctl(socket_.Get(), SIOCOUTQ, &queued) != 0) return FailCount();
    return queued;
}

}  // namespace varnel
