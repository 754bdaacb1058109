#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnel::sim {

enum class CommandKind {
    Incomplete,     // more bytes are needed
    PrintData,      // bytes outside any command; a printer would print them
    Ignored,        // an escape the printer takes without an answer (mode select, initialise, unknown)
    Session,        // ESC ~ ~ n
    TableRead,      // ESC ~ r T
    ByteRead,       // ESC ~ g T O N
    MaskedWrite,    // ESC ~ b T O M V
    StringWrite,    // ESC ~ w T text 0x00
    Reset,          // ESC ~ x n
    FileList,       // ESC f I
    FileOpenWrite,  // ESC f O w blank name 0x00
    FileOpenRead,   // ESC f O r blank name 0x00
    FileWrite,      // ESC f W lo hi block
    FileClose,      // ESC f C
    FileReadBlock,  // ESC f R lo hi
    FileDelete,     // ESC f D name 0x00
    FileDeleteAll,  // ESC f E
    FileReset,      // ESC f @
};

struct Command {
    CommandKind kind = CommandKind::Incomplete;
    std::size_t length = 0;  // bytes of the input the command takes
    std::uint8_t table = 0;
    std::uint8_t offset = 0;
    std::uint8_t mask = 0;
    std::uint8_t value = 0;  // the count of a byte read, the argument of session and reset
    std::size_t count = 0;   // the length of a file block
    std::string text;        // string write text, file name, file block
};

// The longest text or name taken before its ending zero byte; a longer run is cut there so a
// lost terminator cannot make the printer swallow its input for ever.
constexpr std::size_t kMaxTerminatedText = 4096;

// Parses the first command of the printer's normal mode at the start of input.
Command ParseCommand(std::string_view input);

}  // namespace varnel::sim
