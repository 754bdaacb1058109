#pragma once

// The printer's command set in one place: every byte string the program sends to a printer,
// and the reply heads it relies on. Nothing else in the program spells out command bytes.

#include <cstdint>
#include <string>
#include <string_view>

namespace varnel::cmd {

using namespace std::string_view_literals;

inline constexpr char kEsc = 0x1B;
inline constexpr char kStx = 0x02;

// ---- Configuration commands

// Sent at the start of every configuration exchange and with each port command.
inline constexpr std::string_view kPreamble = "\x1B\x79\x02\x1B\x79\x08\x1B\x7E\x7E\x01"sv;
// Firmware query; the reply starts with kFirmwareReplyHead and carries "...:<identifier>".
inline constexpr std::string_view kFirmwareQuery = "\x1B~r\x05"sv;
inline constexpr std::string_view kFirmwareReplyHead = "~r\x05"sv;
// Baud-rate probe; a printer that hears it at the line's rate answers with kBaudProbeReplyHead.
inline constexpr std::string_view kBaudProbe = "\x1B~r\x06"sv;
inline constexpr std::string_view kBaudProbeReplyHead = "~r\x06"sv;
// Byte read: reply "~g", one byte not used, the data byte.
inline constexpr std::string_view kByteReadReplyHead = "~g"sv;
inline constexpr size_t kByteReadReplyLength = 4;
// Reset and the closing command that ends an exchange.
inline constexpr std::string_view kReset = "\x1B~x\xFF"sv;
inline constexpr std::string_view kClosing = "\x1B~~\xFF"sv;

// Identity strings live in these tables.
inline constexpr uint8_t kSerialNumberTable = 4;
inline constexpr uint8_t kSerialNumberTable2 = 13;
inline constexpr uint8_t kManufactureIdTable = 2;
inline constexpr uint8_t kDescriptionTable = 3;

// ESC "~" "g" T O 0x01
inline std::string ByteRead(uint8_t table, uint8_t offset) {
    return std::string{kEsc, '~', 'g', static_cast<char>(table), static_cast<char>(offset), '\x01'};
}

// ESC "~" "r" T; the reply is "~" "r" T, the table's text, 0x00.
inline std::string TableRead(uint8_t table) {
    return std::string{kEsc, '~', 'r', static_cast<char>(table)};
}
inline std::string TableReadReplyHead(uint8_t table) {
    return std::string{'~', 'r', static_cast<char>(table)};
}

// ESC "~" "b" T O M V: only the bits of M change.
inline std::string MaskedByteWrite(uint8_t table, uint8_t offset, uint8_t mask, uint8_t value) {
    return std::string{kEsc, '~', 'b', static_cast<char>(table), static_cast<char>(offset),
                       static_cast<char>(mask), static_cast<char>(value)};
}

// ESC "~" "w" T, the text, 0x00
inline std::string StringWrite(uint8_t table, std::string_view text) {
    std::string bytes{kEsc, '~', 'w', static_cast<char>(table)};
    bytes.append(text);
    bytes.push_back('\0');
    return bytes;
}

// ---- File commands (printer file manager)

// List: zero-ended names, the list ended by an empty name.
inline constexpr std::string_view kFileList = "\x1B" "fI"sv;
inline constexpr std::string_view kFileClose = "\x1B" "fC"sv;
// Read block: the reply is up to 100 bytes of the open file.
inline constexpr size_t kFileReadBlockSize = 100;
inline constexpr std::string_view kFileDeleteAll = "\x1B" "fE"sv;
inline constexpr std::string_view kFileReset = "\x1B" "f\x40"sv;

// The file commands in the pieces the file manager sends one by one: the command text with
// the name, then the name's end byte; the write-block head, then its length bytes.
inline constexpr std::string_view kFileOpenForWritingHead = "\x1B" "fOw "sv;
inline constexpr std::string_view kFileOpenForReadingHead = "\x1B" "fOr "sv;
inline constexpr std::string_view kFileDeleteHead = "\x1B" "fD"sv;
inline constexpr std::string_view kFileNameEnd = "\x00"sv;
inline constexpr std::string_view kFileWriteBlockCommand = "\x1B" "fW"sv;
inline constexpr std::string_view kFileReadBlockCommand = "\x1B" "fR"sv;
inline constexpr std::string_view kFileReadBlockLength = "\x64\x00"sv;

// The length bytes that follow the write-block head: low byte first.
inline std::string FileBlockLength(uint16_t length) {
    return std::string{static_cast<char>(length & 0xFF), static_cast<char>(length >> 8)};
}

// ---- Boot loader commands (firmware update)

inline constexpr std::string_view kBootRevisionQuery = "\x00\x02" "B"sv;
inline constexpr std::string_view kFlashIdQuery = "\x02" "E"sv;
inline constexpr std::string_view kBootFirmwareQuery = "\x02" "K"sv;
inline constexpr std::string_view kExitBoot = "\x02" "X"sv;

// STX "H" and the new baud rate divided by 1000.
inline std::string BootBaudSwitch(uint32_t baud) {
    return std::string{kStx, 'H', static_cast<char>(baud / 1000)};
}

}  // namespace varnel::cmd
