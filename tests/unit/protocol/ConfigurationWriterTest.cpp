#include <algorithm>

#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "protocol/ConfigurationWriter.h"

namespace varnel::test {
namespace {

using Kind = RecordingReporter::Kind;

class ConfigurationWriterTest : public ProtocolFixture {
protected:
    ConfigurationWriterTest() {
        SetSetting(0, "Model", -1, "RP-TEST");
        SetSetting(1, "Baud_Rate", 3);
        SetSetting(2, "Big_Number", 4660);
        SetSetting(3, "Header_Text", -1, "ABC");
    }
    // Bytes of the write exchange, after the identification's two opens and the writer's first.
    std::string ExchangeBytes() const { return backend.writesPerOpen.back(); }
};

TEST_F(ConfigurationWriterTest, SendsMaskedByteWritesStringWritesAndTheClosingCommand) {
    SetSetting(4, "Locked", 1);                     // not writable: skipped without a report
    SetSetting(5, "Pre_Init_Command", -1, "27,64");  // never sent
    SetSetting(6, "Firmware_ID", -1, "RPD1_1*");     // never sent
    model->settings[7].comment = "; a comment row";
    ASSERT_EQ(WriteConfiguration(context), 1);

    ASSERT_EQ(backend.writesPerOpen.size(), 4u);
    EXPECT_EQ(Hex(backend.writesPerOpen[2]), "1B 40 1B 79 02 1B 79 08 1B 7E 7E 01");
    EXPECT_EQ(Hex(ExchangeBytes()),
              "1B 7E 77 00 52 50 2D 54 45 53 54 00 "  // Model, a string write into the map's Model table
              "1B 7E 62 01 0C 18 18 "                 // Baud_Rate 3 at 12.3
              "1B 7E 62 02 04 FF 12 1B 7E 62 02 05 FF 34 "
              "1B 7E 77 03 41 42 43 00 "
              "1B 7E 7E FF");
    const auto& calls = backend.writeCalls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "\x1B~b\x02\x04\xFF\x12\x1B~b\x02\x05\xFF\x34"), calls.end())
        << "a 16-bit field goes out in one output";
    EXPECT_TRUE(reporter.Errors().empty());
    EXPECT_TRUE(HasEntry(Kind::Status, "Configurating****"));
    EXPECT_TRUE(HasEntry(Kind::Status, "End Configuration."));
    EXPECT_EQ(printer.Byte(1, 12), 0x18);
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(ConfigurationWriterTest, TextSettingsAreWrittenEvenWhenNotWritable) {
    WriteFileBytes("rptest.opt", WithOptionsLock(
        "Model Printer RP-TEST\nBaud_Rate Serial 3 115200\nBaud_Rate Serial Y CanBeWritten\n"
        "Big_Number General 0-65535 %i\nBig_Number General Y CanBeWritten\nHeader_Text General S Header\n"));
    ASSERT_EQ(WriteConfiguration(context), 1);
    EXPECT_NE(Hex(ExchangeBytes()).find("1B 7E 77 03 41 42 43 00"), std::string::npos);
}

// The printer keeps a text only as long as its field: a longer one would arrive cut, so it is
// not sent and the write says so; one that fits is sent whole.
TEST_F(ConfigurationWriterTest, ATextLongerThanItsFieldIsNotSentAndSaid) {
    SetSetting(3, "Header_Text", -1, std::string(21, 'H'));
    ASSERT_EQ(WriteConfiguration(context), 1);
    EXPECT_EQ(Hex(ExchangeBytes()).find("1B 7E 77 03"), std::string::npos);
    ASSERT_EQ(reporter.Errors(), std::vector<std::string>{"Header_Text not programmed into printer, its text is 21 "
                                                          "bytes long and the printer holds 20."});

    reporter.entries.clear();
    SetSetting(3, "Header_Text", -1, std::string(20, 'H'));
    ASSERT_EQ(WriteConfiguration(context), 1);
    EXPECT_NE(Hex(ExchangeBytes()).find("1B 7E 77 03 " + Hex(std::string(20, 'H')) + " 00"), std::string::npos);
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(ConfigurationWriterTest, RefusedSettingsAreReportedAndTheRunGoesOn) {
    WriteFileBytes("rptest.map", WithMapLock(std::string(kTestMapBody) +
                                              "Odd_Width 9.0 12 1\nFar_Away 300.0 1 1\nLast_Byte 255.0 16 1\n"));
    WriteFileBytes("rptest.opt", WithOptionsLock(std::string(kTestOptionsBody) +
                                                  "Odd_Width General 0-4095 %i\nOdd_Width General Y CanBeWritten\n"
                                                  "Far_Away General 0 Off\nFar_Away General Y CanBeWritten\n"
                                                  "Last_Byte General 0-65535 %i\nLast_Byte General Y CanBeWritten\n"));
    SetSetting(1, "Baud_Rate", 7);
    SetSetting(4, "Odd_Width", 5);
    SetSetting(5, "Far_Away", 0);
    SetSetting(6, "Last_Byte", 1);
    SetSetting(7, "No_Such_Setting", 1);
    ASSERT_EQ(WriteConfiguration(context), 1);

    std::vector<std::pair<std::string, int>> errors;
    for (const auto& e : reporter.entries)
        if (e.kind == Kind::Error) errors.emplace_back(e.text, e.eventCode);
    EXPECT_EQ(errors, (std::vector<std::pair<std::string, int>>{
                          {"Configuration setting not found in options list. Baud_Rate = 7\nContinuing Configuration.", 0},
                          {"Field/Bit width greater than 8 must be equal to 16. Odd_Width", 0},
                          {"Internal error writing configuration to printer. Offset out of range. Far_Away", 0},
                          {"Internal error writing configuration to printer. Offset out of range. Last_Byte", 0},
                          {"No_Such_Setting not programmed into printer, No_Such_Setting not found in map file.", 10}}));
    EXPECT_EQ(Hex(ExchangeBytes()),
              "1B 7E 77 00 52 50 2D 54 45 53 54 00 1B 7E 62 02 04 FF 12 1B 7E 62 02 05 FF 34 "
              "1B 7E 77 03 41 42 43 00 1B 7E 7E FF");
}

TEST_F(ConfigurationWriterTest, TablesOutsideTheConfigurationTablesAreRefusedNotWrapped) {
    // Table 16 would go out as 0x10; table 261 as 5, the table that holds the firmware identifier.
    WriteFileBytes("rptest.map", WithMapLock(std::string(kTestMapBody) + "Bad_Table 1.0 1 16\nFar_Text 0 20 261\n"));
    WriteFileBytes("rptest.opt", WithOptionsLock(std::string(kTestOptionsBody) +
                                                  "Bad_Table General 0 Off\nBad_Table General 1 On\n"
                                                  "Bad_Table General Y CanBeWritten\nFar_Text General S Text\n"));
    SetSetting(4, "Bad_Table", 1);
    SetSetting(5, "Far_Text", -1, "XYZ");
    ASSERT_EQ(WriteConfiguration(context), 1);
    EXPECT_EQ(reporter.Errors(),
              (std::vector<std::string>{"Internal error writing configuration to printer. Table# out of range. Bad_Table",
                                        "Internal error writing configuration to printer. Table# out of range. Far_Text"}));
    EXPECT_EQ(Hex(ExchangeBytes()),
              "1B 7E 77 00 52 50 2D 54 45 53 54 00 1B 7E 62 01 0C 18 18 1B 7E 62 02 04 FF 12 1B 7E 62 02 05 FF 34 "
              "1B 7E 77 03 41 42 43 00 1B 7E 7E FF");
}

TEST_F(ConfigurationWriterTest, ConfigurationOfAnotherSeriesIsRefusedBeforeWriting) {
    SetSetting(0, "Model", -1, "RP-OTHER");
    EXPECT_EQ(WriteConfiguration(context), 0);
    EXPECT_EQ(reporter.Errors().back(),
              "Configuration for Series: RP-OTHER does not match attached printer, Series RP-TEST.  Load correct "
              "configuration for this printer from file or by reading it from the attached printer.");
    EXPECT_EQ(backend.opens.size(), 2u);
}

TEST_F(ConfigurationWriterTest, PreparationFailures) {
    struct Case {
        const char* portName;
        const char* optionsModel;
        std::string error;
    };
    const Case cases[] = {
        {"", "RP-TEST", "I/O Port not specified, or I/O Port not specified before configure parameter."},
        {"127.0.0.1:9100", "RP-ELSE", "Unable to locate correct Options file."},
    };
    for (const Case& c : cases) {
        reporter.entries.clear();
        model->portName = c.portName;
        WriteFileBytes("rptest.opt", WithOptionsLock(std::string("Model Printer ") + c.optionsModel + "\n"));
        EXPECT_EQ(WriteConfiguration(context), 0);
        EXPECT_EQ(reporter.Errors().back(), c.error);
    }
}

TEST_F(ConfigurationWriterTest, FailedWriteEndsTheRunWithoutTheClosingCommand) {
    auto playPrinter = backend.responder;
    backend.responder = [&](FakePortBackend& port, const std::string& written) {
        if (written.size() == 7 && written[2] == 'b') port.failWrite.Always();
        playPrinter(port, written);
    };
    EXPECT_EQ(WriteConfiguration(context), 0);
    EXPECT_EQ(reporter.Errors().back(), kClosingPortError);
    EXPECT_EQ(backend.allWritten.find("\x1B~~\xFF"), std::string::npos);
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(ConfigurationWriterTest, ACancelStopsBetweenSettingsWithoutTheClosingCommand) {
    struct Case {
        size_t cancelAfter;
        const char* text;
    } cases[] = {
        {2, "Write cancelled after 2 of 4 settings: the printer holds a mixture; write again or verify"},
        {0, "Write cancelled before any setting was sent: the printer holds what it held before."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        reporter.entries.clear();
        reporter.progress.clear();
        reporter.cancelAfterProgress = c.cancelAfter;
        EXPECT_EQ(WriteConfiguration(context), 0);
        EXPECT_EQ(reporter.Messages().back(), c.text);
        EXPECT_TRUE(reporter.Errors().empty());
        EXPECT_EQ(ExchangeBytes().find("\x1B~~\xFF"), std::string::npos) << "no closing command";
        EXPECT_FALSE(backend.IsOpen());
    }
    // Two settings went out: the Model text and Baud_Rate, nothing after them.
    EXPECT_EQ(printer.Byte(1, 12), 0x18);
}

}  // namespace
}  // namespace varnel::test
