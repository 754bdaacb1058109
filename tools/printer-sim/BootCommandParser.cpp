#include "BootCommandParser.h"

#include "CommandParser.h"
#include "PrinterBytes.h"

namespace varnel::sim {
namespace {

BootCommand Make(BootCommandKind kind, std::size_t length, std::uint8_t argument = 0) {
    return BootCommand{kind, length, argument};
}

}  // namespace

BootCommand ParseBootCommand(std::string_view input) {
    using namespace bytes;
    if (input.empty()) return {};
    if (input[0] == kNul) return Make(BootCommandKind::Filler, 1);
    if (input[0] == kEsc) {
        // Skipped whole, so that a program that talks to a printer in boot mode as if it were
        // running does not start a firmware image.
        const Command command = ParseCommand(input);
        if (command.kind == CommandKind::Incomplete) return {};
        return Make(BootCommandKind::Escape, command.length);
    }
    if (input[0] != kStx) return Make(BootCommandKind::ImageStart, 0);
    if (input.size() < 2) return {};
    switch (input[1]) {
        case kBootQuery: return Make(BootCommandKind::Query, 2);
        case kBootFlashId: return Make(BootCommandKind::FlashId, 2);
        case kBootFirmware: return Make(BootCommandKind::Firmware, 2);
        case kBootExit: return Make(BootCommandKind::Exit, 2);
        case kBootBaud:
            if (input.size() < 3) return {};
            return Make(BootCommandKind::Baud, 3, static_cast<std::uint8_t>(input[2]));
        default: return Make(BootCommandKind::ImageStart, 0);
    }
}

}  // namespace varnel::sim
