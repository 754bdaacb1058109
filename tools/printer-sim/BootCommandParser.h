#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace varnel::sim {

enum class BootCommandKind {
    Incomplete,   // more bytes are needed
    Filler,       // zero bytes between commands (the boot query starts with one)
    Escape,       // a configuration command; the boot loader does not answer them
    Query,        // STX B
    FlashId,      // STX E
    Firmware,     // STX K
    Exit,         // STX X
    Baud,         // STX H n
    ImageStart,   // anything else: the first byte of a boot file
};

struct BootCommand {
    BootCommandKind kind = BootCommandKind::Incomplete;
    std::size_t length = 0;
    std::uint8_t argument = 0;  // the rate of a baud switch, in thousands
};

// Parses the first boot-loader command at the start of input, while no boot file is coming in.
BootCommand ParseBootCommand(std::string_view input);

}  // namespace varnel::sim
