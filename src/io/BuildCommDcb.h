#pragma once

#include <string_view>

#include "io/CommConfig.h"

namespace varnel {

// Parses a serial configuration string into the DCB, in either syntax of the Windows call it
// replaces: "baud=19200 parity=N data=8 stop=2" with the optional to= xon= odsr= octs= dtr= rts=
// idsr=, or the older "9600,n,8,1[,x|p]". Both may start with a device name ("COM1:"). Flow
// control is switched off unless the string asks for it. A string that does not parse changes
// nothing and gives false.
bool BuildCommDcb(std::string_view text, Dcb& dcb);

}  // namespace varnel
