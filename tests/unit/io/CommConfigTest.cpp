#include "io/CommConfig.h"

#include <asm/termbits.h>
#include <gtest/gtest.h>

#include <string>

#include "support/HexBytes.h"

namespace varnel {
namespace {

using test::Hex;

TEST(CommConfig, WindowsLayoutByteForByte) {
    CommConfig c;
    c.dwSize = 52;
    c.wVersion = 1;
    c.dcb.DCBlength = 28;
    c.dcb.BaudRate = 19200;
    c.dcb.Set(dcb::fBinary, true);
    c.dcb.Set(dcb::fOutxCtsFlow, true);
    c.dcb.Set(dcb::fOutxDsrFlow, true);
    c.dcb.SetDtrControl(dcb::kDtrControlEnable);
    c.dcb.SetRtsControl(dcb::kRtsControlHandshake);
    c.dcb.XonLim = 256;
    c.dcb.XoffLim = 100;
    c.dcb.ByteSize = 8;
    c.dcb.Parity = dcb::kEvenParity;
    c.dcb.StopBits = dcb::kTwoStopBits;
    c.dcb.XonChar = 0x11;
    c.dcb.XoffChar = 0x13;
    c.dwProviderSubType = 1;
    // flags: fBinary 0x1, fOutxCtsFlow 0x4, fOutxDsrFlow 0x8, DTR enable 0x10, RTS handshake 0x2000
    const std::string expected =
        "34000000" "0100" "0000"                      // dwSize, wVersion, wReserved
        "1C000000" "004B0000" "1D200000"              // DCBlength, BaudRate 19200, flags
        "0000" "0001" "6400" "08" "02" "02"           // wReserved, XonLim, XoffLim, ByteSize, Parity, StopBits
        "11" "13" "00" "00" "00" "0000"               // XonChar, XoffChar, ErrorChar, EofChar, EvtChar, wReserved1
        "01000000" "00000000" "00000000" "00000000";  // provider subtype, offset, size, data
    EXPECT_EQ(Hex(c.ToBytes(), ""), expected);
    EXPECT_EQ(c.ToBytes().size(), 52u);
    EXPECT_EQ(CommConfig::FromBytes(c.ToBytes()), c);
}

TEST(CommConfig, UnknownFlagBitsSurviveARoundTrip) {
    std::string bytes(52, '\0');
    bytes[8 + 8 + 2] = '\x7f';  // fDummy2 bits of the flag word
    bytes[8 + 4] = '\x80';      // baud 128
    EXPECT_EQ(CommConfig::FromBytes(bytes).ToBytes(), bytes);
}

TEST(CommConfig, AShortRecordReplacesOnlyItsOwnBytes) {
    CommConfig c;
    c.dcb.BaudRate = 9600;
    c.dcb.ByteSize = 8;
    c.Overlay(std::string("\x34\x00\x00\x00", 4));
    EXPECT_EQ(c.dwSize, 52u);
    EXPECT_EQ(c.dcb.BaudRate, 9600u);
    EXPECT_EQ(c.dcb.ByteSize, 8);
}

TEST(CommConfig, TermiosTranslationBothWays) {
    struct Case {
        uint32_t baud;
        uint8_t byteSize, parity, stopBits;
        tcflag_t cflagSet, cflagClear;
    };
    const Case cases[] = {
        {9600, 8, dcb::kNoParity, dcb::kOneStopBit, CS8, PARENB | CSTOPB},
        {38400, 8, dcb::kNoParity, dcb::kTwoStopBits, CS8 | CSTOPB, PARENB},
        {19200, 7, dcb::kEvenParity, dcb::kOneStopBit, CS7 | PARENB, PARODD | CMSPAR},
        {4800, 7, dcb::kOddParity, dcb::kOneStopBit, CS7 | PARENB | PARODD, CMSPAR},
        {2400, 8, dcb::kMarkParity, dcb::kOneStopBit, CS8 | PARENB | PARODD | CMSPAR, 0},
        {1200, 5, dcb::kSpaceParity, dcb::kOneStopBit, CS5 | PARENB | CMSPAR, PARODD},
        {250000, 6, dcb::kNoParity, dcb::kOneStopBit, CS6 | BOTHER, PARENB},
    };
    for (const Case& c : cases) {
        Dcb d;
        d.BaudRate = c.baud;
        d.ByteSize = c.byteSize;
        d.Parity = c.parity;
        d.StopBits = c.stopBits;
        termios2 tio{};
        DcbToTermios(d, tio);
        EXPECT_EQ(tio.c_cflag & c.cflagSet, c.cflagSet) << c.baud;
        EXPECT_EQ(tio.c_cflag & c.cflagClear, 0u) << c.baud;
        EXPECT_EQ(tio.c_ospeed, c.baud);
        Dcb back;
        TermiosToDcb(tio, back);
        EXPECT_EQ(back.BaudRate, c.baud);
        EXPECT_EQ(back.ByteSize, c.byteSize);
        EXPECT_EQ(back.Parity, c.parity);
        EXPECT_EQ(back.StopBits, c.stopBits);
    }
}

TEST(CommConfig, FlowControlReachesTheLine) {
    Dcb d;
    d.BaudRate = 9600;
    d.Set(dcb::fOutxCtsFlow, true);
    termios2 tio{};
    DcbToTermios(d, tio);
    EXPECT_TRUE(tio.c_cflag & CRTSCTS);
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF));

    d = Dcb{};
    d.BaudRate = 9600;
    d.Set(dcb::fOutX, true);
    d.Set(dcb::fInX, true);
    d.XonChar = 0x11;
    d.XoffChar = 0x13;
    tio = termios2{};
    DcbToTermios(d, tio);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), tcflag_t{IXON | IXOFF});
    EXPECT_EQ(tio.c_cc[VSTART], 0x11);
    EXPECT_EQ(tio.c_cc[VSTOP], 0x13);
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
}

TEST(CommConfig, ARecordWithoutARateKeepsTheLineSpeed) {
    termios2 tio{};
    tio.c_cflag = B9600;
    tio.c_ospeed = tio.c_ispeed = 9600;
    DcbToTermios(Dcb{}, tio);
    EXPECT_EQ(tio.c_cflag & CBAUD, tcflag_t{B9600});
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t{CS8});
}

}  // namespace
}  // namespace varnel
