#include <gtest/gtest.h>

#include "flash/BootReplyText.h"
#include "flash/FileDialogFilter.h"
#include "flash/FlashLine.h"
#include "flash/FlashProgress.h"

namespace varnel {
namespace {

using namespace std::string_literals;

TEST(BootReplyTextTest, LeadingTextUpToTheFirstControlByte) {
    struct Case {
        std::string reply;
        std::string text;
    } cases[] = {
        {"PB15-BL 2.3\r\x06"s, "PB15-BL 2.3"},
        {"\x06"s, ""},
        {"AB\x00" "CD"s, "AB"},
        {"\xC4\xD6\x80 x\x1F"s, "\xC4\xD6\x80 x"},  // bytes of 0x80 and above are text
        {"0123456789ABCDEFGHIJKLMN"s, "0123456789ABCDEFGHIJ"},  // at most 20 bytes
        {""s, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(BootReplyText(c.reply), c.text);
}

TEST(FileDialogFilterTest, ListFormBecomesQtForm) {
    EXPECT_EQ(QtFileFilter("Boot files    (*.bot)|*.bot||"), "Boot files    (*.bot)");
    EXPECT_EQ(QtFileFilter("Config|*.cfg|All files|*.*||"), "Config (*.cfg);;All files (*.*)");
    EXPECT_EQ(QtFileFilter("Text|*.txt;*.log||"), "Text (*.txt *.log)");
}

TEST(FlashLineTest, SerialLinesAreComNamesAndSerialDevicePaths) {
    for (const char* name : {"COM1", "com7:", "Com3", "/dev/ttyUSB0", "/dev/pts/4", "/dev/serial/by-id/x"})
        EXPECT_TRUE(IsSerialLine(name)) << name;
    for (const char* name : {"USB001", "LPT1", "10.1.2.3:9100", "/dev/usb/lp0", "CO", ""})
        EXPECT_FALSE(IsSerialLine(name)) << name;
}

TEST(FlashLineTest, RateAndSettingsText) {
    struct Case {
        const char* bootLoaderRev;
        const char* flashBaud;
        uint32_t rate;
        const char* settings;
    } cases[] = {
        {"PB15 BOOT 1.0", "", 115200, "baud=115200 parity=N data=8 stop=2"},
        {"PB15", "38400", 115200, "baud=115200 parity=N data=8 stop=2"},
        {"RPD1 BOOT", "", 57600, "baud=57600 parity=N data=8 stop=2"},
        {"", "", 57600, "baud=57600 parity=N data=8 stop=2"},
        {"pb15", "38400", 38400, "baud=38400 parity=N data=8 stop=2"},
        {"RPD1 BOOT", "038400", 38400, "baud=038400 parity=N data=8 stop=2"},
    };
    for (const Case& c : cases) {
        std::optional<FlashLine> line = ChooseFlashLine(c.bootLoaderRev, c.flashBaud);
        ASSERT_TRUE(line) << c.bootLoaderRev << " " << c.flashBaud;
        EXPECT_EQ(line->rate, c.rate);
        EXPECT_EQ(line->settings, c.settings);
    }
}

TEST(FlashLineTest, AFlashBaudTheSwitchCannotCarryIsRefused) {
    for (const char* flashBaud : {"abc", "999", "256000", "38400x", " 38400", "-9600"})
        EXPECT_FALSE(ChooseFlashLine("RPD1", flashBaud)) << flashBaud;
}

TEST(FlashProgressTest, TextCarriesBytesPercentAndRate) {
    EXPECT_EQ(FlashProgress::Text(1000, 2500, 0), "Flashing: 1000 of 2500 bytes (40%)");
    EXPECT_EQ(FlashProgress::Text(2500, 2500, 2000), "Flashing: 2500 of 2500 bytes (100%), 1.2 KB/s");
    EXPECT_EQ(FlashProgress::Text(0, 0, 0), "Flashing: 0 of 0 bytes (100%)");
}

TEST(FlashProgressTest, RatesInUnitsAndNoneOverTooShortAStretch) {
    struct Case {
        int64_t bytes;
        int64_t elapsedMs;
        const char* text;
    } cases[] = {
        // What the port's buffers took in the first moments is no rate.
        {12288, 1, ""},
        {12288, 999, ""},
        {850, 1000, "850 bytes/s"},
        {1023, 1000, "1023 bytes/s"},
        {1024, 1000, "1.0 KB/s"},
        {12600, 1000, "12.3 KB/s"},
        {57600, 10000, "5.6 KB/s"},
        {1258291, 1000, "1.2 MB/s"},
        {12288000, 1000, "11.7 MB/s"},
    };
    for (const Case& c : cases) EXPECT_EQ(FlashProgress::RateText(c.bytes, c.elapsedMs), c.text) << c.bytes;
}

TEST(FlashProgressTest, RestartTextCountsWholeSecondsRoundedUp) {
    EXPECT_EQ(FlashProgress::RestartText(14000), "Waiting for the printer to restart: 14 s");
    EXPECT_EQ(FlashProgress::RestartText(1000), "Waiting for the printer to restart: 1 s");
    EXPECT_EQ(FlashProgress::RestartText(1), "Waiting for the printer to restart: 1 s");
}

}  // namespace
}  // namespace varnel
