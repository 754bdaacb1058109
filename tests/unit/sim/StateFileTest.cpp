#include "StateFile.h"

#include <gtest/gtest.h>

#include <map>

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
    EXPECT_NE(json.find("\"2\": \"A\\u00e9\""), std::string::npos) << json;
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

// A state file as the simulator wrote it before its JSON came from a library, byte for byte:
// uppercase escapes, one file per line.
constexpr const char* kEarlierStateFile = R"({
  "format": "varnel-printer-sim state",
  "version": 1,
  "firmware": "RPD1-1.01",
  "tables": {
    "1": "05 00 00 00 00 00 00 00 00 00 00 00 D8",
    "7": "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 12"
  },
  "texts": {
    "3": "WELCOME \"DEMO\" \u00E9\u0080\\\u0009",
    "13": "SN-000123"
  },
  "files": [
    { "name": "caf\u00E9.txt", "data": "6F 6B" },
    { "name": "logo.bmp", "data": "42 4D 00 FF" }
  ]
}
)";

TEST(StateFileTest, EarlierStateFilesStillLoad) {
    PrinterState state;
    std::string error;
    ASSERT_TRUE(StateFromJson(kEarlierStateFile, state, error)) << error;
    EXPECT_EQ(state.memory.Firmware(), "RPD1-1.01");
    EXPECT_EQ(state.memory.ReadByte(1, 0), 0x05);
    EXPECT_EQ(state.memory.ReadByte(1, 12), 0xD8);
    EXPECT_EQ(state.memory.ReadByte(7, 20), 0x12);
    EXPECT_EQ(state.memory.ReadByte(7, 19), 0x00);
    EXPECT_EQ(state.memory.Text(3), "WELCOME \"DEMO\" \xE9\x80\\\t"s);
    EXPECT_EQ(state.memory.Text(13), "SN-000123");
    EXPECT_EQ(state.files.Files(),
              (std::map<std::string, std::string>{{"caf\xE9.txt"s, "ok"s}, {"logo.bmp"s, "BM\0\xFF"s}}));

    // Written again, it loads to the same printer.
    PrinterState again;
    ASSERT_TRUE(StateFromJson(StateToJson(state), again, error)) << error;
    EXPECT_EQ(StateToJson(again), StateToJson(state));
}

TEST(StateFileTest, BytesTypedIntoAFileAreThoseBytes) {
    PrinterState state;
    std::string error;
    // A Latin-1 byte, and the two bytes a UTF-8 editor writes for the same letter.
    ASSERT_TRUE(StateFromJson("{\"format\": \"varnel-printer-sim state\", \"version\": 1,"
                              " \"texts\": {\"2\": \"caf\xE9\", \"4\": \"caf\xC3\xA9\"}}",
                              state, error))
        << error;
    EXPECT_EQ(state.memory.Text(2), "caf\xE9"s);
    EXPECT_EQ(state.memory.Text(4), "caf\xC3\xA9"s);
}

TEST(StateFileTest, DeepNestingIsRefusedWithoutHarm) {
    for (const std::string& text : {std::string(100000, '['), std::string(100000, '[') + std::string(100000, ']')}) {
        PrinterState state;
        std::string error;
        EXPECT_FALSE(StateFromJson(text, state, error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace varnel::sim
