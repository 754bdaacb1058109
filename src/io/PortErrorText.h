#pragma once

#include <string>
#include <string_view>

#include "io/PortKind.h"

namespace varnel {

// The words that follow the error number of a failed port open or connect: where, the reason,
// and the fix where there is one, e.g. " (/dev/ttyUSB0: permission denied; add the user to the
// dialout group)". `error` is an errno number; `where` is the device node, or host:port.
std::string PortErrorWords(int error, PortKind kind, std::string_view where);

// "host:port" as a user types it; an IPv6 address in brackets.
std::string HostPortText(std::string_view host, unsigned port);

}  // namespace varnel
