#pragma once

#include <string>
#include <string_view>

namespace varnel {

// A port name made safe as the name of one file or folder: "/dev/" dropped from a device path,
// every character but letters, digits, ".", "-" and "_" replaced by "_" ("/dev/pts/3" gives
// "pts_3", "192.168.0.9:9100" gives "192.168.0.9_9100"). Never empty, never "." or "..", never
// starting with ".", so it neither hides nor climbs.
std::string SafePortName(std::string_view port);

}  // namespace varnel
