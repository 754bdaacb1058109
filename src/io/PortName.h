#pragma once

#include <string>
#include <string_view>

#include "io/PortKind.h"

namespace varnel {

class SettingsStore;

inline constexpr size_t kSerialNameLimit = 5;  // COM1 to COM99
inline constexpr std::string_view kDevicePrefix = "\\\\.\\";

// The kind a port name stands for. The Windows rules first (COM, \\.\C, LPT of at most five
// characters, network names), then native paths: /dev/tty, /dev/pts/, /dev/serial/,
// /dev/rfcomm are Serial, /dev/lp and /dev/parport Parallel, any other absolute path a Device.
PortKind ClassifyPortName(std::string_view name);

bool IsNativePath(std::string_view name);

// The fix-ups of a serial name given to Open: cut to five characters, the \\.\ prefix put in
// front, a trailing ':' dropped. Native paths stay as they are.
std::string FixSerialName(std::string_view name);

// The name without the \\.\ prefix and without a trailing ':' ("\\.\COM3" -> "COM3").
std::string BarePortName(std::string_view name);

// The device node a port name opens: the value of that bare name under the Devices key when
// there is one, else COMn -> /dev/ttyS<n-1>, LPTn -> /dev/lp<n-1>, USBnnn -> /dev/usb/lp<nnn-1>;
// native paths and other names as they are.
std::string DevicePathForPort(std::string_view name, const SettingsStore& store);

}  // namespace varnel
