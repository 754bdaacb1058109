#include "io/DcbLineSettings.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

TEST(DcbLineSettingsTest, AnEmptyRecordShowsAWorkingLine) {
    EXPECT_EQ(LineSettingsOf(Dcb{}), (SerialLineSettings{9600, 8, SerialParity::None, SerialStopBits::One,
                                                         SerialFlowControl::None}));
}

TEST(DcbLineSettingsTest, EveryChoiceComesBackFromTheRecord) {
    const SerialLineSettings cases[] = {
        {250000, 7, SerialParity::Even, SerialStopBits::Two, SerialFlowControl::Hardware},
        {9600, 8, SerialParity::None, SerialStopBits::One, SerialFlowControl::XonXoff},
        {300, 5, SerialParity::Mark, SerialStopBits::OneAndHalf, SerialFlowControl::None},
        {115200, 6, SerialParity::Space, SerialStopBits::One, SerialFlowControl::None},
        {19200, 8, SerialParity::Odd, SerialStopBits::Two, SerialFlowControl::Hardware},
    };
    for (const SerialLineSettings& settings : cases) {
        Dcb dcb;
        ApplyLineSettings(dcb, settings);
        EXPECT_EQ(LineSettingsOf(dcb), settings) << settings.baudRate;
    }
}

TEST(DcbLineSettingsTest, TheChoiceSetsTheFlowBitsAsOneGroupAndLeavesTheRestOfTheRecord) {
    Dcb dcb;
    dcb.DCBlength = dcb::kDcbLength;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.Set(dcb::fBinary, true);
    dcb.Set(dcb::fOutX, true);
    dcb.Set(dcb::fInX, true);

    ApplyLineSettings(dcb, {38400, 7, SerialParity::Even, SerialStopBits::Two, SerialFlowControl::Hardware});

    EXPECT_EQ(dcb.BaudRate, 38400u);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Parity, dcb::kEvenParity);
    EXPECT_TRUE(dcb.Has(dcb::fParity));
    EXPECT_EQ(dcb.StopBits, dcb::kTwoStopBits);
    EXPECT_TRUE(dcb.Has(dcb::fOutxCtsFlow));
    EXPECT_TRUE(dcb.Has(dcb::fOutxDsrFlow));
    EXPECT_EQ(dcb.DtrControl(), dcb::kDtrControlHandshake);
    EXPECT_EQ(dcb.RtsControl(), dcb::kRtsControlHandshake);
    EXPECT_FALSE(dcb.Has(dcb::fOutX));
    EXPECT_FALSE(dcb.Has(dcb::fInX));
    // Not the dialog's to change.
    EXPECT_EQ(dcb.DCBlength, dcb::kDcbLength);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_TRUE(dcb.Has(dcb::fBinary));

    ApplyLineSettings(dcb, {38400, 8, SerialParity::None, SerialStopBits::One, SerialFlowControl::None});
    EXPECT_FALSE(dcb.Has(dcb::fParity));
    EXPECT_FALSE(dcb.Has(dcb::fOutxCtsFlow));
    EXPECT_EQ(dcb.DtrControl(), dcb::kDtrControlEnable);
    EXPECT_EQ(dcb.RtsControl(), dcb::kRtsControlEnable);
}

}  // namespace
}  // namespace varnel
