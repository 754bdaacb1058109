#pragma once

#include <memory>
#include <string>

#include "Channel.h"
#include "base/UniqueFd.h"

namespace varnel::sim {

// A pseudo-terminal: the host opens the slave path as its serial port. The simulator keeps the
// slave open itself, so the line and its settings survive the host closing and reopening the
// port (as every exchange does), and it reads the rate the host sets from that descriptor.
class PtyChannel : public Channel {
public:
    // rate 0 leaves the rate the system gives a new terminal.
    static std::unique_ptr<PtyChannel> Create(unsigned rate, std::string& error);

    std::string PortName() const override { return path_; }
    int DataFd() const override { return master_.Get(); }
    std::optional<LineState> Line() const override { return ReadLineState(slave_.Get()); }
    bool IsSerial() const override { return true; }

private:
    UniqueFd master_;
    UniqueFd slave_;
    std::string path_;
};

}  // namespace varnel::sim
