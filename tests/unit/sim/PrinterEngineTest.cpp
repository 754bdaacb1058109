#include "PrinterEngine.h"

#include <gtest/gtest.h>

#include <string>

#include "support/HexBytes.h"

namespace varnel::sim {
namespace {

using namespace std::string_literals;
using test::Hex;

class PrinterEngineTest : public ::testing::Test {
protected:
    PrinterEngineTest() { state.memory.SetFirmware("DEMO-1.00"); }

    // Feeds bytes at the given time and returns what is due by then, as hex for readable failures.
    std::string Send(const std::string& bytes, Micros now = 0) {
        engine.Receive(bytes, now);
        return Hex(engine.TakeReplies(now));
    }

    PrinterState state;
    FaultPlan faults;
    EngineSettings settings;
    PrinterEngine engine{state, faults, settings};
};

TEST_F(PrinterEngineTest, FirmwareQueryAnswersRevisionAfterTheHead) {
    EXPECT_EQ(Send("\x1B~r\x05"s), Hex("~r\x05REV:DEMO-1.00\0"s));
}

TEST_F(PrinterEngineTest, BaudProbeAnswersWithItsHead) {
    EXPECT_EQ(Send("\x1B~r\x06"s), "7E 72 06 4F 4B 00");
}

TEST_F(PrinterEngineTest, ByteReadRepliesHeadTableAndDataByte) {
    state.memory.MaskedWrite(1, 12, 0xFF, 0xD8);
    EXPECT_EQ(Send("\x1B~g\x01\x0C\x01"s), "7E 67 01 D8");
    EXPECT_EQ(Send("\x1B~g\x01\x0B\x02"s), "7E 67 01 00 D8");  // a count of two brings two bytes
}

TEST_F(PrinterEngineTest, PreambleAndClosingCommandGetNoReplyAndSplitInputStillParses) {
    const std::string preamble = "\x1By\x02\x1By\x08\x1B~~\x01"s;
    EXPECT_EQ(Send(preamble), "");
    const std::string query = "\x1B~r\x05"s;
    std::string replies;
    for (char byte : query) replies += Send(std::string(1, byte));
    EXPECT_EQ(replies, Hex("~r\x05REV:DEMO-1.00\0"s));
    EXPECT_EQ(Send("\x1B~~\xFF"s), "");
}

TEST_F(PrinterEngineTest, MaskedWriteChangesOnlyTheMaskedBits) {
    struct Case {
        std::uint8_t before, mask, value, after;
    };
    const Case cases[] = {
        {0x00, 0x18, 0x18, 0x18},  // value 3 at bit 3, width 2
        {0xFF, 0x18, 0x00, 0xE7},  // clearing a field keeps its neighbours
        {0xA5, 0x0F, 0xFF, 0xAF},  // bits of V outside M are not written
        {0x5A, 0x00, 0xFF, 0x5A},  // an empty mask writes nothing
        {0x12, 0xFF, 0x34, 0x34},
    };
    for (const Case& c : cases) {
        state.memory.MaskedWrite(7, 200, 0xFF, c.before);
        Send("\x1B~b\x07\xC8"s + static_cast<char>(c.mask) + static_cast<char>(c.value));
        EXPECT_EQ(state.memory.ReadByte(7, 200), c.after) << "mask " << int(c.mask);
    }
    EXPECT_EQ(state.memory.ReadByte(7, 199), 0);
    EXPECT_EQ(state.memory.ReadByte(7, 201), 0);
    EXPECT_TRUE(engine.TakeStateChanged());
}

TEST_F(PrinterEngineTest, SixteenBitFieldWrittenAsTwoBytesReadsBackBigEndian) {
    Send("\x1B~b\x02\x04\xFF\x12\x1B~b\x02\x05\xFF\x34"s);
    EXPECT_EQ(Send("\x1B~g\x02\x04\x01\x1B~g\x02\x05\x01"s), "7E 67 02 12 7E 67 02 34");
}

TEST_F(PrinterEngineTest, StringWriteThenTableReadGivesTheTextBack) {
    EXPECT_EQ(Send("\x1B~w\x0D" "ABC12345678\0"s), "");
    EXPECT_EQ(Send("\x1B~r\x0D"s), Hex("~r\x0D" "ABC12345678\0"s));
    EXPECT_EQ(Send("\x1B~r\x07"s), "7E 72 07 00");  // a table without text
    // Texts and bytes of one table number are kept apart.
    EXPECT_EQ(state.memory.ReadByte(13, 0), 0);
}

TEST_F(PrinterEngineTest, TextsLongerThanATableAreCut) {
    Send("\x1B~w\x03"s + std::string(300, 'x') + '\0');
    EXPECT_EQ(state.memory.Text(3), std::string(PrinterMemory::kMaxTextLength, 'x'));
}

TEST_F(PrinterEngineTest, CommandsForMissingTablesAreIgnored) {
    EXPECT_EQ(Send("\x1B~g\x10\x00\x01"s), "");
    Send("\x1B~b\x10\x00\xFF\xFF"s);
    EXPECT_FALSE(engine.TakeStateChanged());
    // The firmware text cannot be overwritten through its table number.
    Send("\x1B~w\x05X\0"s);
    EXPECT_EQ(Send("\x1B~r\x05"s), Hex("~r\x05REV:DEMO-1.00\0"s));
}

TEST_F(PrinterEngineTest, FileStoreRoundTrip) {
    const std::string body = std::string(150, 'a') + "\0\x1B"s + std::string(48, 'b');  // 200 bytes
    Send("\x1B" "fOw report.txt\0"s);
    Send("\x1B" "fW\xC8\x00"s + body);
    Send("\x1B" "fC"s);
    EXPECT_EQ(Send("\x1B" "fI"s), Hex("report.txt\t200\0\0"s));

    Send("\x1B" "fOr report.txt\0"s);
    std::string back;
    for (int chunk = 0; chunk < 3; ++chunk) {
        engine.Receive("\x1B" "fR\x64\x00"s, 0);
        back += engine.TakeReplies(0);
    }
    EXPECT_EQ(back, body);  // the third request, past the end, brought nothing
    Send("\x1B" "fC"s);

    Send("\x1B" "fOw b\0\x1B" "fC"s);
    EXPECT_EQ(Send("\x1B" "fI"s), Hex("b\t0\0report.txt\t200\0\0"s));
    Send("\x1B" "fDreport.txt\0"s);
    EXPECT_EQ(Send("\x1B" "fI"s), Hex("b\t0\0\0"s));
    Send("\x1B" "fE"s);
    EXPECT_EQ(Send("\x1B" "fI"s), "00");
}

TEST_F(PrinterEngineTest, ReadingAMissingFileBringsNothing) {
    Send("\x1B" "fOr nothing\0"s);
    EXPECT_EQ(Send("\x1B" "fR\x64\x00"s), "");
}

TEST_F(PrinterEngineTest, ClosedConnectionDropsAHalfReceivedCommand) {
    engine.Receive("\x1B~r"s, 0);
    engine.ConnectionClosed(0);
    EXPECT_EQ(Send("\x05\x1B~r\x06"s), "7E 72 06 4F 4B 00");
}

class BootLoaderTest : public PrinterEngineTest {
protected:
    static EngineSettings BootSettings() {
        EngineSettings boot;
        boot.startInBootMode = true;
        boot.flashedFirmware = "DEMO-2.00";
        return boot;
    }
    PrinterEngine bootEngine{state, faults, BootSettings()};

    std::string BootSend(const std::string& bytes, Micros now = 0) {
        bootEngine.Receive(bytes, now);
        return bootEngine.TakeReplies(now);
    }
};

TEST_F(BootLoaderTest, QueriesAnswerTextsEndedByCarriageReturn) {
    ASSERT_TRUE(bootEngine.InBootMode());
    EXPECT_EQ(BootSend("\x00\x02" "B"s), "VSBL-1.05\r");
    EXPECT_EQ(BootSend("\x02" "E"s), "SIM-29F040\r");
    EXPECT_EQ(BootSend("\x02" "K"s), "DEMO-1.00\r");
    // Configuration commands get no answer and do not start an image.
    EXPECT_EQ(BootSend("\x1B~r\x05"s), "");
    EXPECT_TRUE(bootEngine.InBootMode());
}

TEST_F(BootLoaderTest, BaudSwitchPicksTheNearestStandardRate) {
    struct Case {
        char argument;
        unsigned rate;
    };
    for (const Case& c : {Case{'s', 115200}, Case{'9', 57600}, Case{'&', 38400}, Case{'\x13', 19200}}) {
        BootSend("\x02H"s + c.argument);
        EXPECT_EQ(bootEngine.BootLineRate(), c.rate) << int(c.argument);
    }
}

TEST_F(BootLoaderTest, BootFileIsKeptOnceTheLineGoesQuiet) {
    BootSend("\x02Hs"s);
    const std::string image = ":10000000\x02" "B\r\n:00000001FF\r\n"s;
    bootEngine.Receive(image.substr(0, 10), Millis(100));
    bootEngine.Receive(image.substr(10), Millis(200));
    bootEngine.Advance(Millis(200) + PrinterEngine::kImageQuietTime - 1);
    EXPECT_FALSE(bootEngine.TakeFlashedImage());
    EXPECT_EQ(bootEngine.NextWake(), Millis(200) + PrinterEngine::kImageQuietTime);

    bootEngine.Advance(Millis(200) + PrinterEngine::kImageQuietTime);
    EXPECT_EQ(bootEngine.TakeFlashedImage(), image);  // a STX inside the file is data
    EXPECT_FALSE(bootEngine.InBootMode());
    EXPECT_EQ(bootEngine.BootLineRate(), 0u);
    EXPECT_EQ(state.memory.Firmware(), "DEMO-2.00");
    EXPECT_TRUE(bootEngine.TakeStateChanged());
}

TEST_F(BootLoaderTest, ClosedConnectionCompletesTheBootFile) {
    BootSend("S00600004844521B\r\n"s);
    bootEngine.ConnectionClosed(Millis(10));
    EXPECT_EQ(bootEngine.TakeFlashedImage(), "S00600004844521B\r\n");
}

TEST_F(BootLoaderTest, ExitLeavesBootModeWithoutAnImage) {
    BootSend("\x02X"s);
    EXPECT_FALSE(bootEngine.InBootMode());
    EXPECT_FALSE(bootEngine.TakeFlashedImage());
    EXPECT_EQ(Hex(BootSend("\x1B~r\x06"s)), "7E 72 06 4F 4B 00");
}

// Fault switches.

TEST_F(PrinterEngineTest, StrayByteComesBeforeEveryConfigurationReply) {
    faults.strayByte = 0x11;
    EXPECT_EQ(Send("\x1B~g\x00\x00\x01"s), "11 7E 67 00 00");
    EXPECT_EQ(Send("\x1B~r\x06"s), "11 7E 72 06 4F 4B 00");
    EXPECT_EQ(Send("\x1B" "fI"s), "00");  // file data has no head to skip
}

TEST_F(PrinterEngineTest, WrongHeadsAffectTheFirstNRepliesOnly) {
    faults.wrongHeads = 2;
    EXPECT_EQ(Send("\x1B~g\x00\x00\x01"s), "7E 3F 00 00");
    EXPECT_EQ(Send("\x1B~r\x05"s).substr(0, 8), "7E 3F 05");
    EXPECT_EQ(Send("\x1B~g\x00\x00\x01"s), "7E 67 00 00");
}

TEST_F(PrinterEngineTest, SilenceLeavesOutTheNamedRepliesForItsCount) {
    ASSERT_TRUE(AddSilence(faults, "byte-read:2"));
    ASSERT_TRUE(AddSilence(faults, "firmware"));
    EXPECT_EQ(Send("\x1B~g\x00\x00\x01"s), "");
    EXPECT_EQ(Send("\x1B~g\x00\x00\x01"s), "");
    EXPECT_EQ(Send("\x1B~g\x00\x00\x01"s), "7E 67 00 00");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Send("\x1B~r\x05"s), "");
    EXPECT_EQ(Send("\x1B~r\x06"s), "7E 72 06 4F 4B 00");
    EXPECT_FALSE(AddSilence(faults, "bogus"));
    EXPECT_FALSE(AddSilence(faults, "probe:0"));
}

TEST_F(PrinterEngineTest, SlowRepliesAreHeldBackInOrder) {
    faults.slowReply = Millis(250);
    engine.Receive("\x1B~r\x06\x1B~g\x00\x00\x01"s, Millis(1000));
    EXPECT_EQ(engine.TakeReplies(Millis(1249)), "");
    EXPECT_EQ(engine.NextWake(), Millis(1250));
    EXPECT_EQ(Hex(engine.TakeReplies(Millis(1250))), "7E 72 06 4F 4B 00 7E 67 00 00");
}

TEST_F(PrinterEngineTest, SplitRepliesComeInTwoHalvesAGapApart) {
    faults.splitGap = Millis(30);
    EXPECT_EQ(Send("\x1B~g\x00\x00\x01"s, Millis(1000)), "7E 67");
    EXPECT_EQ(engine.NextWake(), Millis(1030));
    // The next reply's first half is due at once, but replies keep their order.
    EXPECT_EQ(Send("\x1B~r\x06"s, Millis(1010)), "");
    EXPECT_EQ(Hex(engine.TakeReplies(Millis(1030))), "00 00 7E 72 06");
    EXPECT_EQ(engine.TakeReplies(Millis(1039)), "");
    EXPECT_EQ(Hex(engine.TakeReplies(Millis(1040))), "4F 4B 00");

    // A reply of one byte cannot be split.
    faults.probeGarbage = true;
    EXPECT_EQ(Send("\x1B~r\x06"s, Millis(2000)), "15");
}

TEST_F(PrinterEngineTest, BusyPeriodHoldsCommandsAfterAResetAndAtConnect) {
    faults.busyPeriod = Millis(500);
    engine.ConnectionOpened(0);
    EXPECT_TRUE(engine.Busy(Millis(499)));
    EXPECT_EQ(Send("\x1B~r\x06"s, Millis(100)), "");
    EXPECT_EQ(engine.NextWake(), Millis(500));
    EXPECT_EQ(Hex(engine.TakeReplies(Millis(500))), "7E 72 06 4F 4B 00");

    // The reset is taken; the query behind it waits for the restart.
    engine.Receive("\x1B~x\xFF\x1B~r\x06"s, Millis(1000));
    EXPECT_EQ(engine.TakeReplies(Millis(1499)), "");
    EXPECT_EQ(Hex(engine.TakeReplies(Millis(1500))), "7E 72 06 4F 4B 00");
}

TEST_F(PrinterEngineTest, StaleIdentityKeepsTheOldTextOfIdentityTablesOnly) {
    state.memory.SetText(4, "OLD00000000");
    faults.staleIdentity = true;
    Send("\x1B~w\x04NEW12345678\0"s);
    EXPECT_EQ(Send("\x1B~r\x04"s), Hex("~r\x04OLD00000000\0"s));
    Send("\x1B~w\x07text\0"s);
    EXPECT_EQ(state.memory.Text(7), "text");
}

TEST_F(PrinterEngineTest, ProbeGarbageAnswersEveryRateWithSomethingElse) {
    faults.probeGarbage = true;
    EXPECT_EQ(Send("\x1B~r\x06"s), "15");
    engine.ReceiveGarbled("\xF0\x0F"s, 0);
    EXPECT_EQ(Hex(engine.TakeReplies(0)), "15");
    faults.probeGarbage = false;
    engine.ReceiveGarbled("\xF0\x0F"s, 0);
    EXPECT_EQ(engine.TakeReplies(0), "");
}

}  // namespace
}  // namespace varnel::sim
