#include "DemoModel.h"

#include <gtest/gtest.h>

namespace varnel::sim {
namespace {

constexpr const char* kMap =
    "; demo printer\n"
    "Model   TM-DEMO ; the model\n"
    "Firmware DEMO-1.00\r\n"
    "Setup 12.5 0 0\n"
    "Baud_Rate 12.3 2 1 ; offset 12, bits 3 and 4\n"
    "Line_Feed 4 16 2\n"
    "Cutter 0.7 1 1\n"
    "Header 0 48 9\n"
    "Far_Away 300 1 1\n";

constexpr const char* kConfig =
    "//// Varnel configuration ////\n"
    "File_Comment \"demo\"\n"
    "Model \"TM-DEMO\" ;model\n"
    "Baud_Rate 3 ;x &y\n"
    "Line_Feed 4660\n"
    "Cutter 1\n"
    "Header \"Hello\"\n"
    "&custom comment\n"
    "; Baud_Rate 1\n"
    "Far_Away 1\n"
    "Unknown 5\n";

TEST(DemoModelTest, SettingsLandInTheirBitsAndTexts) {
    PrinterMemory memory;
    memory.MaskedWrite(1, 12, 0xFF, 0xE7);  // neighbours of the Baud_Rate bits survive
    const DemoModelReport report = LoadDemoModel(kMap, kConfig, memory);
    EXPECT_EQ(report.firmware, "DEMO-1.00");
    EXPECT_EQ(memory.ReadByte(1, 12), 0xFF);
    EXPECT_EQ(memory.ReadByte(2, 4), 0x12);
    EXPECT_EQ(memory.ReadByte(2, 5), 0x34);
    EXPECT_EQ(memory.ReadByte(1, 0), 0x80);
    EXPECT_EQ(memory.Text(9), "Hello");
    EXPECT_EQ(memory.Text(0), "TM-DEMO");  // the Model header row names table 0
    EXPECT_EQ(report.placed, 5);
    ASSERT_EQ(report.notes.size(), 2u);
    EXPECT_EQ(report.notes[0], "Far_Away: offset out of range");
    EXPECT_EQ(report.notes[1], "Unknown: not in the map");
}

TEST(DemoModelTest, NoFilesLeaveZeroes) {
    PrinterMemory memory;
    const DemoModelReport report = LoadDemoModel("", "", memory);
    EXPECT_EQ(report.placed, 0);
    EXPECT_EQ(memory.ReadByte(0, 0), 0);
}

}  // namespace
}  // namespace varnel::sim
