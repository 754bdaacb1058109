#include "StateFile.h"

#include <gtest/gtest.h>

#include "Json.h"

namespace varnel::sim {
namespace {

using namespace std::string_literals;

TEST(StateFileTest, WholePrinterSurvivesARoundTrip) {
    PrinterState state;
    state.memory.SetFirmware("DEMO \"1.00\"");
    state.memory.MaskedWrite(1, 12, 0xFF, 0xD8);
    state.memory.MaskedWrite(15, 255, 0xFF, 0x01);
    state.memory.SetText(13, "SN\xE9\x01\\0001"s);
    state.files.Put("logo.bmp", "BM\0\xFF"s);
    state.files.Put("empty", "");

    PrinterState back;
    std::string error;
    ASSERT_TRUE(StateFromJson(StateToJson(state), back, error)) << error;
    EXPECT_EQ(back.memory.Firmware(), "DEMO \"1.00\"");
    EXPECT_EQ(back.memory.TableBytes(1), state.memory.TableBytes(1));
    EXPECT_EQ(back.memory.ReadByte(15, 255), 0x01);
    EXPECT_EQ(back.memory.Text(13), "SN\xE9\x01\\0001"s);
    EXPECT_EQ(back.files.Files(), state.files.Files());
}

TEST(StateFileTest, WrittenFileIsPlainAsciiWithBytesAsEscapes) {
    PrinterState state;
    state.memory.SetText(2, "A\xE9"s);
    state.memory.MaskedWrite(3, 2, 0xFF, 0xAB);
    const std::string json = StateToJson(state);
    EXPECT_NE(json.find("\"2\": \"A\\u00E9\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"3\": \"00 00 AB\""), std::string::npos) << json;
    for (unsigned char c : json) EXPECT_LT(c, 0x80);
}

TEST(StateFileTest, HandWrittenTablesByOffset) {
    PrinterState state;
    std::string error;
    ASSERT_TRUE(StateFromJson(R"({"format": "varnel-printer-sim state", "version": 1,
                                  "tables": {"1": {"12": 216, "0": 1}}, "texts": {"4": "ABC"}})",
                              state, error))
        << error;
    EXPECT_EQ(state.memory.ReadByte(1, 12), 0xD8);
    EXPECT_EQ(state.memory.ReadByte(1, 0), 0x01);
    EXPECT_EQ(state.memory.Text(4), "ABC");
}

TEST(StateFileTest, BadFilesAreRefusedAndLeaveTheStateAlone) {
    const char* bad[] = {
        "",
        "[]",
        R"({"format": "other", "version": 1})",
        R"({"format": "varnel-printer-sim state", "version": 2})",
        R"({"format": "varnel-printer-sim state", "version": 1, "tables": {"16": "00"}})",
        R"({"format": "varnel-printer-sim state", "version": 1, "tables": {"1": "0G"}})",
        R"({"format": "varnel-printer-sim state", "version": 1, "tables": {"1": {"256": 1}}})",
        R"({"format": "varnel-printer-sim state", "version": 1, "tables": {"1": {"2": 256}}})",
        R"({"format": "varnel-printer-sim state", "version": 1, "texts": {"2": "\u0100"}})",
        R"({"format": "varnel-printer-sim state", "version": 1, "files": [{"name": "a"}]})",
        R"({"format": "varnel-printer-sim state", "version": 1,)",
    };
    for (const char* text : bad) {
        PrinterState state;
        state.memory.SetFirmware("KEEP");
        std::string error;
        EXPECT_FALSE(StateFromJson(text, state, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(state.memory.Firmware(), "KEEP");
    }
}

TEST(JsonTest, NestingIsBounded) {
    std::string error;
    EXPECT_FALSE(ParseJson(std::string(10000, '['), error));
    EXPECT_TRUE(ParseJson("[[1, 2.5e1], {\"a\": [true, false, null]}]", error)) << error;
}

}  // namespace
}  // namespace varnel::sim
