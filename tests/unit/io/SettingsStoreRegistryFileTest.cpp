#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/RegistryFile.h"

namespace varnel {
namespace {

constexpr std::string_view kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG";

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

std::string Sequence(int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += static_cast<char>(i);
    return out;
}

TEST(RegistryFileWrite, WritesEveryTypeInRegeditForm) {
    RegistryDocument document;
    document.SetValue(kKey, "PortName", RegValue::String("COM1"));
    document.SetValue(kKey, "Path", RegValue::String("C:\\a \"b\"\n"));
    document.SetValue(kKey, "IOTimeOutFactor", RegValue::Dword(300));
    document.SetValue(kKey, "Start", RegValue::Binary(Bytes({0x1b, 0x40, 0x00, 0xff})));
    document.SetValue(kKey, "Empty", RegValue::Binary(""));
    document.SetValue(kKey, "", RegValue::String("default"));
    document.SetValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\Other", "Odd", RegValue{RegType::Dword, "ab"});

    EXPECT_EQ(SerialiseRegistry(document),
              "REGEDIT4\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG]\n"
              "\"PortName\"=\"COM1\"\n"
              "\"Path\"=\"C:\\\\a \\\"b\\\"\\n\"\n"
              "\"IOTimeOutFactor\"=dword:0000012c\n"
              "\"Start\"=hex:1b,40,00,ff\n"
              "\"Empty\"=hex:\n"
              "@=\"default\"\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"
              "\"Odd\"=hex(4):61,62\n");
}

TEST(RegistryFileWrite, WrapsLongBinaryValuesAsRegeditDoes) {
    RegistryDocument document;
    document.SetValue(kKey, "Comm data", RegValue::Binary(Sequence(52)));
    EXPECT_EQ(SerialiseRegistry(document),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG]\n"
              "\"Comm data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,\\\n"
              "  14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,\\\n"
              "  2d,2e,2f,30,31,32,33\n");
}

TEST(RegistryFileRoundTrip, EveryTypeAndEveryByteSurvives) {
    std::string allBytes;
    for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
    const std::vector<std::pair<std::string, RegValue>> values = {
        {"Text", RegValue::String("COM12")},
        {"Text with every byte", RegValue::String(allBytes)},
        {"Trailing backslash", RegValue::String("C:\\")},
        {"Empty text", RegValue::String("")},
        {"Zero", RegValue::Dword(0)},
        {"Largest", RegValue::Dword(0xFFFFFFFFu)},
        {"TCP", RegValue::Binary(std::string(1000, '\0').replace(0, 13, "10.1.2.3:9100"))},
        {"Binary with every byte", RegValue::Binary(allBytes)},
        {"No bytes", RegValue::Binary("")},
        {"", RegValue::Dword(7)},
        {"Name \"quoted\" \\ odd", RegValue::String("x")},
    };
    RegistryDocument document;
    for (const auto& [name, value] : values) document.SetValue(kKey, name, value);

    const RegistryParseResult parsed = ParseRegistryText(SerialiseRegistry(document));

    ASSERT_TRUE(parsed.complete) << parsed.problemLine << ": " << parsed.problem;
    for (const auto& [name, value] : values) {
        SCOPED_TRACE(name);
        const RegValue* read = parsed.document.FindValue(kKey, name);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->type, value.type);
        EXPECT_EQ(read->data, value.data);
    }
    EXPECT_EQ(parsed.document.ValueNames(kKey).size(), values.size());
}

// What regedit on a Windows station writes, pasted in with its CR LF line ends.
constexpr std::string_view kWindowsExport =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG]\r\n"
    "\"PortName\"=\"COM3\"\r\n"
    "\"IOTimeOutFactor\"=dword:000007d0\r\n"
    "\"DoExtra\"=dword:00000001\r\n"
    "\"Comm Data\"=hex:1c,00,00,00,01,00,00,00,80,25,00,00,11,10,00,00,00,00,00,00,\\\r\n"
    "  00,00,08,00,00,00,11,13,00,00,00,00\r\n"
    "\"Start\"=hex(2):41,00,42,00,00,00\r\n"
    "\"End\"=hex(0):\r\n"
    "@=\"Pellam \\\"IOComm\\\" settings\"\r\n"
    "\r\n"
    "; ports of the Standard TCP/IP monitor\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\IP_10.1.2.3]\r\n"
    "\"HostName\"=\"10.1.2.3\"\r\n"
    "\"PortNumber\"=dword:0000238c\r\n"
    "\r\n";

void ExpectWindowsExportValues(const RegistryParseResult& parsed) {
    ASSERT_TRUE(parsed.complete) << parsed.problemLine << ": " << parsed.problem;
    const RegistryDocument& doc = parsed.document;
    ASSERT_NE(doc.FindValue(kKey, "PortName"), nullptr);
    EXPECT_EQ(doc.FindValue(kKey, "PortName")->data, "COM3");
    EXPECT_EQ(doc.FindValue(kKey, "IOTimeOutFactor")->AsDword(), 2000u);
    EXPECT_EQ(doc.FindValue(kKey, "DoExtra")->AsDword(), 1u);
    const RegValue* commData = doc.FindValue(kKey, "comm data");
    ASSERT_NE(commData, nullptr);
    EXPECT_EQ(commData->type, RegType::Binary);
    EXPECT_EQ(commData->data, Bytes({0x1c, 0, 0, 0, 1, 0, 0, 0, 0x80, 0x25, 0, 0, 0x11, 0x10, 0, 0, 0, 0, 0, 0,
                                     0, 0, 8, 0, 0, 0, 0x11, 0x13, 0, 0, 0, 0}));
    EXPECT_EQ(doc.FindValue(kKey, "Start")->type, RegType::Binary);
    EXPECT_EQ(doc.FindValue(kKey, "Start")->data, Bytes({0x41, 0, 0x42, 0, 0, 0}));
    EXPECT_EQ(doc.FindValue(kKey, "End")->data, "");
    EXPECT_EQ(doc.FindValue(kKey, "")->data, "Pellam \"IOComm\" settings");
    const std::string ports =
        "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports";
    EXPECT_EQ(doc.SubKeys(ports), std::vector<std::string>{"IP_10.1.2.3"});
    EXPECT_EQ(doc.FindValue(ports + "\\IP_10.1.2.3", "PortNumber")->AsDword(), 9100u);
}

TEST(RegistryFileRead, ReadsAKeyExportedFromAWindowsStation) { ExpectWindowsExportValues(ParseRegistryText(kWindowsExport)); }

TEST(RegistryFileRead, ReadsAUtf16ExportWithItsByteOrderMark) {
    std::string utf16 = "\xFF\xFE";
    for (char c : kWindowsExport) {
        utf16 += c;
        utf16 += '\0';
    }
    ExpectWindowsExportValues(ParseRegistryText(utf16));
}

TEST(RegistryFileRead, ReadsUtf16TextAsUtf8) {
    // "PortName"="Ä€" in UTF-16LE: U+00C4 and U+20AC.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string_view("REGEDIT4\n[K]\n\"P\"=\"")) utf16 += std::string{c, '\0'};
    utf16 += Bytes({0xC4, 0x00, 0xAC, 0x20});
    for (char c : std::string_view("\"\n")) utf16 += std::string{c, '\0'};
    const RegistryParseResult parsed = ParseRegistryText(utf16);
    ASSERT_TRUE(parsed.complete);
    EXPECT_EQ(parsed.document.FindValue("K", "P")->data, "\xC3\x84\xE2\x82\xAC");
}

TEST(RegistryFileRead, AcceptsBlanksCommentsAndEmptyFiles) {
    EXPECT_TRUE(ParseRegistryText("").complete);
    EXPECT_TRUE(ParseRegistryText("\n  \n").complete);
    const RegistryParseResult parsed = ParseRegistryText(
        "; written by hand\nREGEDIT4\n\n  ; indented comment\n[K]\n  \"A\" = dword:1 \n\"B\"=hex: 01 , 2,\n[Empty]\n");
    ASSERT_TRUE(parsed.complete) << parsed.problem;
    EXPECT_EQ(parsed.document.FindValue("K", "A")->AsDword(), 1u);
    EXPECT_EQ(parsed.document.FindValue("K", "B")->data, Bytes({1, 2}));
    ASSERT_EQ(parsed.document.keys().size(), 2u);
    EXPECT_EQ(parsed.document.keys()[1].name, "Empty");
    EXPECT_TRUE(parsed.document.ValueNames("Empty").empty());
}

TEST(RegistryFileRead, AppliesTheDeletionsAnExportCanHold) {
    const RegistryParseResult parsed = ParseRegistryText(
        "REGEDIT4\n[A]\n\"x\"=dword:1\n\"y\"=dword:2\n[A\\B]\n\"z\"=dword:3\n[C]\n"
        "[-a]\n\"ignored\"=hex:01,\\\n  02\n[A]\n\"X\"=-\n[c]\n\"w\"=\"kept\"\n");
    ASSERT_TRUE(parsed.complete) << parsed.problemLine << ": " << parsed.problem;
    EXPECT_EQ(parsed.document.SubKeys("A"), std::vector<std::string>{});
    EXPECT_EQ(parsed.document.ValueNames("A"), std::vector<std::string>{});
    EXPECT_EQ(parsed.document.FindValue("C", "w")->data, "kept");
}

TEST(RegistryFileRead, ReportsTheFirstProblemAndKeepsWhatItUnderstood) {
    struct Case {
        const char* what;
        std::string text;
        int line;
    };
    const std::vector<Case> cases = {
        {"no header", "[K]\n\"Good\"=dword:1\n", 1},
        {"value before any key", "REGEDIT4\n\"Good\"=dword:1\n[K]\n\"Good\"=dword:1\n", 2},
        {"dword of nine digits", "REGEDIT4\n[K]\n\"Good\"=dword:1\n\"Bad\"=dword:000000001\n", 4},
        {"dword not hex", "REGEDIT4\n[K]\n\"Good\"=dword:1\n\"Bad\"=dword:12g\n", 4},
        {"hex byte of three digits", "REGEDIT4\n[K]\n\"Bad\"=hex:01,100\n\"Good\"=dword:1\n", 3},
        {"hex type not a number", "REGEDIT4\n[K]\n\"Bad\"=hex(z):01\n\"Good\"=dword:1\n", 3},
        {"string not closed", "REGEDIT4\n[K]\n\"Good\"=dword:1\n\"Bad\"=\"open\n", 4},
        {"text after a string", "REGEDIT4\n[K]\n\"Bad\"=\"a\" b\n\"Good\"=dword:1\n", 3},
        {"name not closed", "REGEDIT4\n[K]\n\"Bad=dword:1\n\"Good\"=dword:1\n", 3},
        {"no equals sign", "REGEDIT4\n[K]\n\"Bad\" dword:1\n\"Good\"=dword:1\n", 3},
        {"unknown type", "REGEDIT4\n[K]\n\"Bad\"=qword:1\n\"Good\"=dword:1\n", 3},
        {"key not closed", "REGEDIT4\n[K]\n\"Good\"=dword:1\n[Other\n", 4},
        {"stray text", "REGEDIT4\n[K]\nGood=1\n\"Good\"=dword:1\n", 3},
        {"hex continued past the end", "REGEDIT4\n[K]\n\"Good\"=dword:1\n\"Bad\"=hex:01,\\\n", 4},
        {"bad byte on a continuation line", "REGEDIT4\n[K]\n\"Bad\"=hex:01,\\\n  02,\\\n  0x\n\"Good\"=dword:1\n", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RegistryParseResult parsed = ParseRegistryText(c.text);
        EXPECT_FALSE(parsed.complete);
        EXPECT_EQ(parsed.problemLine, c.line);
        ASSERT_NE(parsed.document.FindValue("K", "Good"), nullptr);
        EXPECT_EQ(parsed.document.FindValue("K", "Good")->AsDword(), 1u);
        EXPECT_EQ(parsed.document.FindValue("K", "Bad"), nullptr);
    }
}

TEST(RegistryDocumentNames, CompareWithoutCaseAndKeepTheFirstCase) {
    RegistryDocument document;
    document.SetValue(kKey, "Comm Data", RegValue::Binary("a"));
    EXPECT_TRUE(document.SetValue("hkey_local_machine\\software\\pellam\\iocommcfg", "Comm data", RegValue::Binary("b")));
    EXPECT_FALSE(document.SetValue(kKey, "COMM DATA", RegValue::Binary("b")));

    ASSERT_EQ(document.keys().size(), 1u);
    EXPECT_EQ(document.keys()[0].name, kKey);
    EXPECT_EQ(document.ValueNames(kKey), std::vector<std::string>{"Comm Data"});
    EXPECT_EQ(document.FindValue(kKey, "comm DATA")->data, "b");
    EXPECT_NE(document.FindValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\PELLAM\\IOCOMMCFG", "Comm Data"), nullptr);
}

TEST(RegistryDocumentNames, ParentKeysExistAndGiveTheirCaseToNewKeys) {
    RegistryDocument document;
    document.SetValue(kKey, "PortName", RegValue::String("COM1"));
    document.SetValue("hkey_local_machine\\software\\pellam\\iocommcfg\\Devices", "COM1", RegValue::String("/dev/ttyUSB0"));
    document.SetValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\PELLAM\\Other", "X", RegValue::Dword(1));

    EXPECT_EQ(document.SubKeys("HKEY_LOCAL_MACHINE"), std::vector<std::string>{"SOFTWARE"});
    EXPECT_EQ(document.keys()[1].name, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG\\Devices");
    EXPECT_EQ(document.keys()[2].name, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\Other");
    EXPECT_EQ(document.SubKeys("HKEY_LOCAL_MACHINE\\software\\pellam"), (std::vector<std::string>{"IOCommCFG", "Other"}));
    EXPECT_EQ(document.SubKeys("HKEY_LOCAL_MACHINE"), std::vector<std::string>{"SOFTWARE"});
}

TEST(RegistryKeyNames, OnlyNamesAFileCanReadBackAreUsable) {
    EXPECT_TRUE(IsUsableKeyName(kKey));
    for (std::string_view bad : {"", "-HKEY_LOCAL_MACHINE", "\\A", "A\\", "A\\\\B", "A\nB", "A\rB"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(IsUsableKeyName(bad));
    }
    EXPECT_FALSE(IsUsableKeyName(std::string_view("A\0B", 3)));
}

}  // namespace
}  // namespace varnel
