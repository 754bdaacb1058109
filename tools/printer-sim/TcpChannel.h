#pragma once

#include <memory>
#include <string>

#include "Channel.h"
#include "base/UniqueFd.h"

namespace varnel::sim {

// A TCP listener; one host is served at a time, the next waits in the listen queue.
class TcpChannel : public Channel {
public:
    // Listens on host:port (port 0 picks a free one); nullptr with error on failure.
    static std::unique_ptr<TcpChannel> Listen(const std::string& host, int port, std::string& error);

    std::string PortName() const override { return name_; }
    int DataFd() const override { return connection_.Get(); }
    int ListenFd() const override { return connection_.Valid() ? -1 : listener_.Get(); }
    bool AcceptHost(std::string& who) override;
    void DropHost() override { connection_.Reset(); }

private:
    UniqueFd listener_;
    UniqueFd connection_;
    std::string name_;
};

}  // namespace varnel::sim
