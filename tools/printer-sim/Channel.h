#pragma once

#include <optional>
#include <string>

#include "LineSettings.h"

namespace varnel::sim {

// The way a host reaches the printer: a TCP listener with at most one connected host at a
// time, or a pseudo-terminal that is always there.
class Channel {
public:
    virtual ~Channel() = default;

    // The name a host uses as its port.
    virtual std::string PortName() const = 0;
    // The descriptor that carries bytes, -1 while no host is connected.
    virtual int DataFd() const = 0;
    // The descriptor that announces a new host, -1 when there is none.
    virtual int ListenFd() const { return -1; }
    // Takes the waiting host; false when there was none. who names it for the trace.
    virtual bool AcceptHost(std::string& /*who*/) { return false; }
    // Ends the connection of the current host (TCP).
    virtual void DropHost() {}
    // The line settings the host has set (pseudo-terminal).
    virtual std::optional<LineState> Line() const { return std::nullopt; }
    // A serial line can go dead; a TCP connection is closed instead.
    virtual bool IsSerial() const { return false; }
};

}  // namespace varnel::sim
