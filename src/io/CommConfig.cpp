#include "io/CommConfig.h"

#include <asm/termbits.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace varnel {
namespace {

// Offsets inside the 52-byte record, as the Windows structures lay it out.
constexpr size_t kDwSize = 0;
constexpr size_t kWVersion = 4;
constexpr size_t kWReserved = 6;
constexpr size_t kDcb = CommConfig::kDcbOffset;
constexpr size_t kDcbLength = kDcb + 0;
constexpr size_t kBaudRate = kDcb + 4;
constexpr size_t kFlags = kDcb + 8;
constexpr size_t kDcbReserved = kDcb + 12;
constexpr size_t kXonLim = kDcb + 14;
constexpr size_t kXoffLim = kDcb + 16;
constexpr size_t kByteSize = kDcb + 18;
constexpr size_t kParity = kDcb + 19;
constexpr size_t kStopBits = kDcb + 20;
constexpr size_t kXonChar = kDcb + 21;
constexpr size_t kXoffChar = kDcb + 22;
constexpr size_t kErrorChar = kDcb + 23;
constexpr size_t kEofChar = kDcb + 24;
constexpr size_t kEvtChar = kDcb + 25;
constexpr size_t kDcbReserved1 = kDcb + 26;
constexpr size_t kProviderSubType = 36;
constexpr size_t kProviderOffset = 40;
constexpr size_t kProviderSize = 44;
constexpr size_t kProviderData = 48;

constexpr uint32_t kDefaultBaudRate = 9600;
constexpr uint8_t kDefaultByteSize = 8;

using Bytes = std::array<uint8_t, CommConfig::kSize>;

void Put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint16_t Get16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t Get32(const Bytes& b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t{b[at + i]} << (8 * i);
    return v;
}

Bytes Encode(const CommConfig& c) {
    Bytes b{};
    Put32(b, kDwSize, c.dwSize);
    Put16(b, kWVersion, c.wVersion);
    Put16(b, kWReserved, c.wReserved);
    const Dcb& d = c.dcb;
    Put32(b, kDcbLength, d.DCBlength);
    Put32(b, kBaudRate, d.BaudRate);
    Put32(b, kFlags, d.flags);
    Put16(b, kDcbReserved, d.wReserved);
    Put16(b, kXonLim, d.XonLim);
    Put16(b, kXoffLim, d.XoffLim);
    b[kByteSize] = d.ByteSize;
    b[kParity] = d.Parity;
    b[kStopBits] = d.StopBits;
    b[kXonChar] = d.XonChar;
    b[kXoffChar] = d.XoffChar;
    b[kErrorChar] = d.ErrorChar;
    b[kEofChar] = d.EofChar;
    b[kEvtChar] = d.EvtChar;
    Put16(b, kDcbReserved1, d.wReserved1);
    Put32(b, kProviderSubType, c.dwProviderSubType);
    Put32(b, kProviderOffset, c.dwProviderOffset);
    Put32(b, kProviderSize, c.dwProviderSize);
    std::copy(std::begin(c.wcProviderData), std::end(c.wcProviderData), b.begin() + kProviderData);
    return b;
}

CommConfig Decode(const Bytes& b) {
    CommConfig c;
    c.dwSize = Get32(b, kDwSize);
    c.wVersion = Get16(b, kWVersion);
    c.wReserved = Get16(b, kWReserved);
    Dcb& d = c.dcb;
    d.DCBlength = Get32(b, kDcbLength);
    d.BaudRate = Get32(b, kBaudRate);
    d.flags = Get32(b, kFlags);
    d.wReserved = Get16(b, kDcbReserved);
    d.XonLim = Get16(b, kXonLim);
    d.XoffLim = Get16(b, kXoffLim);
    d.ByteSize = b[kByteSize];
    d.Parity = b[kParity];
    d.StopBits = b[kStopBits];
    d.XonChar = b[kXonChar];
    d.XoffChar = b[kXoffChar];
    d.ErrorChar = b[kErrorChar];
    d.EofChar = b[kEofChar];
    d.EvtChar = b[kEvtChar];
    d.wReserved1 = Get16(b, kDcbReserved1);
    c.dwProviderSubType = Get32(b, kProviderSubType);
    c.dwProviderOffset = Get32(b, kProviderOffset);
    c.dwProviderSize = Get32(b, kProviderSize);
    std::copy(b.begin() + kProviderData, b.end(), std::begin(c.wcProviderData));
    return c;
}

struct SpeedCode {
    uint32_t baud;
    unsigned code;
};
constexpr SpeedCode kStandardSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

void SetSpeed(termios2& tio, uint32_t baud) {
    unsigned code = BOTHER;
    for (const SpeedCode& s : kStandardSpeeds)
        if (s.baud == baud) code = s.code;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= code;  // input speed follows output speed (CIBAUD left 0)
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
}

tcflag_t DataBits(uint8_t byteSize) {
    switch (byteSize) {
        case 5: return CS5;
        case 6: return CS6;
        case 7: return CS7;
        default: return CS8;
    }
}

uint8_t ByteSizeOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
        case CS5: return 5;
        case CS6: return 6;
        case CS7: return 7;
        default: return 8;
    }
}

}  // namespace

void Dcb::SetDtrControl(int mode) {
    flags = (flags & ~(3u << dcb::kDtrControlShift)) | ((static_cast<uint32_t>(mode) & 3u) << dcb::kDtrControlShift);
}

void Dcb::SetRtsControl(int mode) {
    flags = (flags & ~(3u << dcb::kRtsControlShift)) | ((static_cast<uint32_t>(mode) & 3u) << dcb::kRtsControlShift);
}

std::string CommConfig::ToBytes() const {
    Bytes b = Encode(*this);
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

void CommConfig::Overlay(std::string_view bytes) {
    Bytes b = Encode(*this);
    std::memcpy(b.data(), bytes.data(), std::min(bytes.size(), b.size()));
    *this = Decode(b);
}

CommConfig CommConfig::FromBytes(std::string_view bytes) {
    CommConfig c;
    c.Overlay(bytes);
    return c;
}

void DcbToTermios(const Dcb& d, termios2& tio) {
    // Raw 8-bit line: no echo, no line editing, no signals, no character translation.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;

    // A record that names no rate (all zero: no stored configuration yet) keeps the line's speed
    // rather than hanging the line up with B0.
    if (d.BaudRate != 0) SetSpeed(tio, d.BaudRate);
    tio.c_cflag |= DataBits(d.ByteSize);
    switch (d.Parity) {
        case dcb::kOddParity: tio.c_cflag |= PARENB | PARODD; break;
        case dcb::kEvenParity: tio.c_cflag |= PARENB; break;
        case dcb::kMarkParity: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
        case dcb::kSpaceParity: tio.c_cflag |= PARENB | CMSPAR; break;
        default: break;
    }
    if (d.Has(dcb::fParity) && d.Parity != dcb::kNoParity) tio.c_iflag |= INPCK;
    // Linux has no 1.5 stop bits; the UART sends 1.5 for five data bits when asked for two.
    if (d.StopBits != dcb::kOneStopBit) tio.c_cflag |= CSTOPB;
    if (d.Has(dcb::fOutxCtsFlow) || d.RtsControl() == dcb::kRtsControlHandshake) tio.c_cflag |= CRTSCTS;
    if (d.Has(dcb::fOutX)) tio.c_iflag |= IXON;
    if (d.Has(dcb::fInX)) tio.c_iflag |= IXOFF;
    if (d.XonChar != 0) tio.c_cc[VSTART] = d.XonChar;
    if (d.XoffChar != 0) tio.c_cc[VSTOP] = d.XoffChar;
}

void TermiosToDcb(const termios2& tio, Dcb& d) {
    d.DCBlength = dcb::kDcbLength;
    d.BaudRate = tio.c_ospeed;
    d.ByteSize = ByteSizeOf(tio.c_cflag);
    if (!(tio.c_cflag & PARENB))
        d.Parity = dcb::kNoParity;
    else if (tio.c_cflag & CMSPAR)
        d.Parity = (tio.c_cflag & PARODD) ? dcb::kMarkParity : dcb::kSpaceParity;
    else
        d.Parity = (tio.c_cflag & PARODD) ? dcb::kOddParity : dcb::kEvenParity;
    d.StopBits = (tio.c_cflag & CSTOPB) ? dcb::kTwoStopBits : dcb::kOneStopBit;
    d.Set(dcb::fBinary, true);
    d.Set(dcb::fParity, (tio.c_iflag & INPCK) != 0);
    bool hardware = (tio.c_cflag & CRTSCTS) != 0;
    d.Set(dcb::fOutxCtsFlow, hardware);
    if (hardware) d.SetRtsControl(dcb::kRtsControlHandshake);
    d.Set(dcb::fOutX, (tio.c_iflag & IXON) != 0);
    d.Set(dcb::fInX, (tio.c_iflag & IXOFF) != 0);
    d.XonChar = tio.c_cc[VSTART];
    d.XoffChar = tio.c_cc[VSTOP];
}

CommConfig DefaultLineConfig() {
    CommConfig config;
    config.dwSize = CommConfig::kSize;
    config.wVersion = CommConfig::kVersion;
    Dcb& d = config.dcb;
    d.DCBlength = dcb::kDcbLength;
    d.BaudRate = kDefaultBaudRate;
    d.Set(dcb::fBinary, true);
    d.SetDtrControl(dcb::kDtrControlEnable);
    d.SetRtsControl(dcb::kRtsControlEnable);
    d.ByteSize = kDefaultByteSize;
    d.Parity = dcb::kNoParity;
    d.StopBits = dcb::kOneStopBit;
    d.XonChar = dcb::kXonChar;
    d.XoffChar = dcb::kXoffChar;
    return config;
}

}  // namespace varnel
