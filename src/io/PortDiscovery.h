#pragma once

#include <string>

namespace varnel {

class DeviceSource;
class SettingsStore;

// At most this many names are examined over all three sources together.
inline constexpr int kMaxPortListNames = 50;

// The port list offered by the port dialog, entry by entry. Sources in order: the system's
// printer ports (names beginning "USB0", or "FILE" in any case, skipped), the maker's USB serial
// interfaces, then the network addresses of the "TCP" list. Empty past the end.
std::string GetPortListEntry(int position, const DeviceSource& devices, const SettingsStore& store);

// The index-th serial interface of the maker's USB printers, or empty.
std::string GetUsbComPort(int index, const DeviceSource& devices);

// The index-th name of the stored "TCP" list (split at runs of spaces), or empty.
std::string GetNetworkPortEntry(int index, const SettingsStore& store);

}  // namespace varnel
