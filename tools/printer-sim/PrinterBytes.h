#pragma once

#include <cstdint>

// The bytes of the printer's command set as the printer sees them. The simulator keeps its own
// copy on purpose: it must be able to disagree with the program it is testing.
namespace varnel::sim::bytes {

constexpr char kEsc = '\x1B';
constexpr char kStx = '\x02';
constexpr char kNul = '\0';

// ESC "~" family: configuration tables.
constexpr char kConfigPrefix = '~';
constexpr char kSession = '~';      // ESC ~ ~ n: 0x01 opens, 0xFF closes an exchange
constexpr char kTableRead = 'r';    // ESC ~ r T
constexpr char kByteRead = 'g';     // ESC ~ g T O N
constexpr char kMaskedWrite = 'b';  // ESC ~ b T O M V
constexpr char kStringWrite = 'w';  // ESC ~ w T text 0x00
constexpr char kReset = 'x';        // ESC ~ x n

// Table numbers that the table read answers with something other than a stored text.
constexpr std::uint8_t kFirmwareTable = 0x05;
constexpr std::uint8_t kProbeTable = 0x06;

// ESC "y" n: a mode byte the preamble sends; the printer takes it without an answer.
constexpr char kModeSelect = 'y';
// ESC "@": the usual printer initialisation, often found in pre-init sequences.
constexpr char kInitialise = '@';

// ESC "f" family: the file store.
constexpr char kFilePrefix = 'f';
constexpr char kFileList = 'I';
constexpr char kFileOpen = 'O';
constexpr char kFileOpenWrite = 'w';
constexpr char kFileOpenRead = 'r';
constexpr char kFileWrite = 'W';
constexpr char kFileClose = 'C';
constexpr char kFileRead = 'R';
constexpr char kFileDelete = 'D';
constexpr char kFileDeleteAll = 'E';
constexpr char kFileReset = '@';

// STX family: the boot loader.
constexpr char kBootQuery = 'B';
constexpr char kBootFlashId = 'E';
constexpr char kBootFirmware = 'K';
constexpr char kBootExit = 'X';
constexpr char kBootBaud = 'H';

// Reply heads.
constexpr char kReplyHead = '~';
constexpr char kBootReplyEnd = '\r';
constexpr char kNak = '\x15';

}  // namespace varnel::sim::bytes
