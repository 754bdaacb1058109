#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

// The boot loader listens at this rate until it is told to switch.
inline constexpr std::string_view kBootLoaderLineSettings = "baud=19200 parity=N data=8 stop=2";

// Whether the port is a serial line, where the boot loader's rate is set and may be switched.
// "COM" names as ever (also in their device form), and this system's own serial device paths.
bool IsSerialLine(std::string_view portName);

// The faster rate the stream runs at and the line settings text to reopen the port with.
struct FlashLine {
    uint32_t rate;
    std::string settings;
};

// The rate for the stream: 115200 for a boot loader whose revision begins with "PB15", else
// `flashBaud` when given, else 57600. None when `flashBaud` is no rate the switch command can
// carry (the printer would be left at a rate nobody can reach).
std::optional<FlashLine> ChooseFlashLine(std::string_view bootLoaderRev, std::string_view flashBaud);

}  // namespace varnel
