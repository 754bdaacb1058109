#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The kernel's termios2 (asm/termbits.h) clashes with glibc's <termios.h>, so only the files
// that talk to a line include it.
struct termios2;

namespace varnel {

// Bits of the DCB flag word, at the positions the Windows DCB bit-fields occupy.
namespace dcb {
inline constexpr uint32_t fBinary = 1u << 0;
inline constexpr uint32_t fParity = 1u << 1;
inline constexpr uint32_t fOutxCtsFlow = 1u << 2;
inline constexpr uint32_t fOutxDsrFlow = 1u << 3;
inline constexpr uint32_t kDtrControlShift = 4;  // two bits
inline constexpr uint32_t fDsrSensitivity = 1u << 6;
inline constexpr uint32_t fTXContinueOnXoff = 1u << 7;
inline constexpr uint32_t fOutX = 1u << 8;
inline constexpr uint32_t fInX = 1u << 9;
inline constexpr uint32_t fErrorChar = 1u << 10;
inline constexpr uint32_t fNull = 1u << 11;
inline constexpr uint32_t kRtsControlShift = 12;  // two bits
inline constexpr uint32_t fAbortOnError = 1u << 14;

inline constexpr int kDtrControlDisable = 0;
inline constexpr int kDtrControlEnable = 1;
inline constexpr int kDtrControlHandshake = 2;
inline constexpr int kRtsControlDisable = 0;
inline constexpr int kRtsControlEnable = 1;
inline constexpr int kRtsControlHandshake = 2;
inline constexpr int kRtsControlToggle = 3;

inline constexpr uint8_t kNoParity = 0;
inline constexpr uint8_t kOddParity = 1;
inline constexpr uint8_t kEvenParity = 2;
inline constexpr uint8_t kMarkParity = 3;
inline constexpr uint8_t kSpaceParity = 4;

inline constexpr uint8_t kOneStopBit = 0;
inline constexpr uint8_t kOne5StopBits = 1;
inline constexpr uint8_t kTwoStopBits = 2;

inline constexpr uint32_t kDcbLength = 28;
// The usual flow-control characters.
inline constexpr uint8_t kXonChar = 0x11;
inline constexpr uint8_t kXoffChar = 0x13;
}  // namespace dcb

// The Windows DCB, 28 bytes. Fields keep their Windows names so a stored record reads the same
// here as on a Windows station.
struct Dcb {
    uint32_t DCBlength = 0;
    uint32_t BaudRate = 0;
    uint32_t flags = 0;
    uint16_t wReserved = 0;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 0;
    uint8_t Parity = 0;
    uint8_t StopBits = 0;
    uint8_t XonChar = 0;
    uint8_t XoffChar = 0;
    uint8_t ErrorChar = 0;
    uint8_t EofChar = 0;
    uint8_t EvtChar = 0;
    uint16_t wReserved1 = 0;

    bool Has(uint32_t flag) const { return (flags & flag) != 0; }
    void Set(uint32_t flag, bool on) { flags = on ? (flags | flag) : (flags & ~flag); }
    int DtrControl() const { return static_cast<int>((flags >> dcb::kDtrControlShift) & 3u); }
    void SetDtrControl(int mode);
    int RtsControl() const { return static_cast<int>((flags >> dcb::kRtsControlShift) & 3u); }
    void SetRtsControl(int mode);

    bool operator==(const Dcb&) const = default;
};

// The 52-byte COMMCONFIG in the Windows layout: size, version, the DCB at offset 8, the provider
// fields and two bytes of provider data padded to 52. Stored in the settings byte for byte.
struct CommConfig {
    static constexpr size_t kSize = 52;
    static constexpr uint16_t kVersion = 1;
    static constexpr size_t kDcbOffset = 8;

    uint32_t dwSize = 0;
    uint16_t wVersion = 0;
    uint16_t wReserved = 0;
    Dcb dcb;
    uint32_t dwProviderSubType = 0;
    uint32_t dwProviderOffset = 0;
    uint32_t dwProviderSize = 0;
    uint8_t wcProviderData[4] = {0, 0, 0, 0};

    // The 52 bytes, little-endian, exactly as a Windows station stores them.
    std::string ToBytes() const;
    // Replaces the first bytes.size() bytes of the record (at most 52); the rest stays.
    void Overlay(std::string_view bytes);
    static CommConfig FromBytes(std::string_view bytes);

    bool operator==(const CommConfig&) const = default;
};

// The line a port object starts from before any port is known: 9600 baud, eight data bits, no
// parity, one stop bit, no flow control, DTR and RTS on. No device is opened for it.
CommConfig DefaultLineConfig();

// Translation between the DCB and the kernel's line settings. Fields the line cannot express
// (limits, error and event characters) are left as they were in `dcb` when reading.
void DcbToTermios(const Dcb& dcb, termios2& tio);
void TermiosToDcb(const termios2& tio, Dcb& dcb);

}  // namespace varnel
