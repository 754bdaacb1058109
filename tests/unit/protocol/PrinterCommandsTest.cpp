#include <string>

#include <gtest/gtest.h>

#include "protocol/PrinterCommands.h"
#include "support/HexBytes.h"

namespace varnel {
namespace {

using test::Hex;

TEST(PrinterCommandsTest, BytesAreExact) {
    struct Case {
        std::string bytes;
        const char* hex;
    };
    const Case cases[] = {
        {std::string(cmd::kPreamble), "1B 79 02 1B 79 08 1B 7E 7E 01"},
        {std::string(cmd::kFirmwareQuery), "1B 7E 72 05"},
        {std::string(cmd::kBaudProbe), "1B 7E 72 06"},
        {cmd::ByteRead(1, 0x0C), "1B 7E 67 01 0C 01"},
        {cmd::TableRead(3), "1B 7E 72 03"},
        {cmd::MaskedByteWrite(1, 0x0C, 0x18, 0x18), "1B 7E 62 01 0C 18 18"},
        {cmd::StringWrite(3, "ABC"), "1B 7E 77 03 41 42 43 00"},
        {std::string(cmd::kReset), "1B 7E 78 FF"},
        {std::string(cmd::kClosing), "1B 7E 7E FF"},
        {std::string(cmd::kFileList), "1B 66 49"},
        {std::string(cmd::kFileOpenForWritingHead) + "A" + std::string(cmd::kFileNameEnd), "1B 66 4F 77 20 41 00"},
        {std::string(cmd::kFileWriteBlockCommand) + cmd::FileBlockLength(1000), "1B 66 57 E8 03"},
        {std::string(cmd::kFileClose), "1B 66 43"},
        {std::string(cmd::kFileOpenForReadingHead) + "A" + std::string(cmd::kFileNameEnd), "1B 66 4F 72 20 41 00"},
        {std::string(cmd::kFileReadBlockCommand) + std::string(cmd::kFileReadBlockLength), "1B 66 52 64 00"},
        {std::string(cmd::kFileDeleteHead) + "A" + std::string(cmd::kFileNameEnd), "1B 66 44 41 00"},
        {std::string(cmd::kFileDeleteAll), "1B 66 45"},
        {std::string(cmd::kFileReset), "1B 66 40"},
        {std::string(cmd::kBootRevisionQuery), "00 02 42"},
        {std::string(cmd::kFlashIdQuery), "02 45"},
        {std::string(cmd::kBootFirmwareQuery), "02 4B"},
        {std::string(cmd::kExitBoot), "02 58"},
        {cmd::BootBaudSwitch(115200), "02 48 73"},
        {cmd::BootBaudSwitch(57600), "02 48 39"},
        {cmd::BootBaudSwitch(38400), "02 48 26"},
    };
    for (const Case& c : cases) EXPECT_EQ(Hex(c.bytes), c.hex);
}

}  // namespace
}  // namespace varnel
