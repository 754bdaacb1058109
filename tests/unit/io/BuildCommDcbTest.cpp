#include "io/BuildCommDcb.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

Dcb Start() {
    Dcb d;
    d.BaudRate = 1200;
    d.ByteSize = 7;
    d.Parity = dcb::kEvenParity;
    d.StopBits = dcb::kOneStopBit;
    d.Set(dcb::fOutX, true);
    d.Set(dcb::fInX, true);
    return d;
}

struct Case {
    const char* text;
    uint32_t baud;
    uint8_t byteSize, parity, stopBits;
    uint32_t flagsSet;    // must be set afterwards
    uint32_t flagsClear;  // must be clear afterwards
};

TEST(BuildCommDcb, ParsesRealStrings) {
    const uint32_t flow = dcb::fOutX | dcb::fInX | dcb::fOutxCtsFlow | dcb::fOutxDsrFlow;
    const Case cases[] = {
        {"baud=19200 parity=N data=8 stop=2", 19200, 8, dcb::kNoParity, dcb::kTwoStopBits, 0, flow},
        {"baud=38400 parity=N data=8 stop=2", 38400, 8, dcb::kNoParity, dcb::kTwoStopBits, 0, flow},
        {"baud=9600 parity=N data=8 stop=1", 9600, 8, dcb::kNoParity, dcb::kOneStopBit, 0, flow},
        {"BAUD=4800 PARITY=E DATA=7 STOP=1", 4800, 7, dcb::kEvenParity, dcb::kOneStopBit, dcb::fParity, flow},
        {"baud=250000 parity=m data=8 stop=1.5", 250000, 8, dcb::kMarkParity, dcb::kOne5StopBits, 0, 0},
        {"baud=9600 parity=s data=8 stop=1 xon=on", 9600, 8, dcb::kSpaceParity, dcb::kOneStopBit,
         dcb::fOutX | dcb::fInX, dcb::fOutxCtsFlow},
        {"baud=9600 octs=on odsr=on idsr=on to=off", 9600, 7, dcb::kEvenParity, dcb::kOneStopBit,
         dcb::fOutxCtsFlow | dcb::fOutxDsrFlow | dcb::fDsrSensitivity, dcb::fOutX},
        {"COM1: baud=2400 parity=o data=8 stop=1", 2400, 8, dcb::kOddParity, dcb::kOneStopBit, dcb::fParity, flow},
        {"9600,n,8,1", 9600, 8, dcb::kNoParity, dcb::kOneStopBit, 0, flow},
        {"96,e,7,1", 9600, 7, dcb::kEvenParity, dcb::kOneStopBit, dcb::fParity, flow},
        {"19200,n,8,1,x", 19200, 8, dcb::kNoParity, dcb::kOneStopBit, dcb::fOutX | dcb::fInX, dcb::fOutxCtsFlow},
        {"115200,n,8,1,p", 115200, 8, dcb::kNoParity, dcb::kOneStopBit, dcb::fOutxCtsFlow | dcb::fOutxDsrFlow,
         dcb::fOutX},
        {"COM2:110,n,8", 110, 8, dcb::kNoParity, dcb::kTwoStopBits, 0, flow},  // 110 baud keeps two stop bits
    };
    for (const Case& c : cases) {
        Dcb d = Start();
        ASSERT_TRUE(BuildCommDcb(c.text, d)) << c.text;
        EXPECT_EQ(d.BaudRate, c.baud) << c.text;
        EXPECT_EQ(d.ByteSize, c.byteSize) << c.text;
        EXPECT_EQ(d.Parity, c.parity) << c.text;
        EXPECT_EQ(d.StopBits, c.stopBits) << c.text;
        EXPECT_EQ(d.flags & c.flagsSet, c.flagsSet) << c.text;
        EXPECT_EQ(d.flags & c.flagsClear, 0u) << c.text;
    }
}

TEST(BuildCommDcb, DtrAndRtsModes) {
    Dcb d;
    ASSERT_TRUE(BuildCommDcb("baud=9600 dtr=hs rts=tg", d));
    EXPECT_EQ(d.DtrControl(), dcb::kDtrControlHandshake);
    EXPECT_EQ(d.RtsControl(), dcb::kRtsControlToggle);
    ASSERT_TRUE(BuildCommDcb("baud=9600 dtr=off rts=on", d));
    EXPECT_EQ(d.DtrControl(), dcb::kDtrControlDisable);
    EXPECT_EQ(d.RtsControl(), dcb::kRtsControlEnable);
}

TEST(BuildCommDcb, AStringThatDoesNotParseChangesNothing) {
    const char* bad[] = {
        "", "hardware", "xon", "none", "baud=fast", "baud=9600 parity=x", "baud=9600 data=9", "baud=9600 stop=3",
        "baud=9600 xon=maybe", "baud=9600 colour=red", "9600,q,8,1", "9600,n,8,1,z", "abc,n,8,1", "9600,n,8,1,x,extra",
    };
    for (const char* text : bad) {
        Dcb d = Start();
        EXPECT_FALSE(BuildCommDcb(text, d)) << text;
        EXPECT_EQ(d, Start()) << text;
    }
}

}  // namespace
}  // namespace varnel
