#include <gtest/gtest.h>

#include "protocol/FieldCodec.h"
#include "support/HexBytes.h"

namespace varnel {
namespace {

using test::Hex;

MapEntry Row(double location, int width, int table) {
    MapEntry entry;
    entry.name = "Setting";
    entry.location = location;
    entry.width = width;
    entry.table = table;
    return entry;
}

TEST(FieldCodecTest, DecodesOffsetBitWidthAndMask) {
    struct Case {
        double location;
        int width;
        int offset;
        int bit;
        int mask;
    };
    const Case cases[] = {
        {12.3, 2, 12, 3, 0x18},
        {12.0, 1, 12, 0, 0x01},
        {12.7, 1, 12, 7, 0x80},   // 12.7 is stored as 12.6999...; the bit must still be 7
        {0.1, 3, 0, 1, 0x0E},
        {4.0, 16, 4, 0, 0xFF},
        {255.6, 2, 255, 6, 0xC0},
        {3.4, 8, 3, 4, 0xF0},     // bits pushed past the byte are dropped from the mask
    };
    for (const Case& c : cases) {
        const FieldLocation field = DecodeField(Row(c.location, c.width, 1));
        EXPECT_EQ(field.offset, c.offset) << c.location;
        EXPECT_EQ(field.bit, c.bit) << c.location;
        EXPECT_EQ(field.mask, c.mask) << c.location;
        EXPECT_TRUE(field.OffsetFits());
    }
}

TEST(FieldCodecTest, OffsetsThatDoNotFitAByteAreFlagged) {
    EXPECT_FALSE(DecodeField(Row(256.0, 1, 1)).OffsetFits());
    EXPECT_FALSE(DecodeField(Row(300.2, 1, 1)).OffsetFits());
    EXPECT_FALSE(DecodeField(Row(-1.0, 1, 1)).OffsetFits());
    EXPECT_FALSE(DecodeField(Row(1e300, 1, 1)).OffsetFits());
}

TEST(FieldCodecTest, DecodesValues) {
    EXPECT_EQ(DecodeByteField(DecodeField(Row(12.3, 2, 1)), 0xD8), 3);
    EXPECT_EQ(DecodeWordField(DecodeField(Row(4.0, 16, 2)), 0x12, 0x34), 4660);
    EXPECT_EQ(DecodeByteField(DecodeField(Row(0.0, 8, 0)), 0xA5), 0xA5);
}

TEST(FieldCodecTest, EncodesMaskedByteWrites) {
    EXPECT_EQ(Hex(EncodeFieldWrite(DecodeField(Row(12.3, 2, 1)), 3)), "1B 7E 62 01 0C 18 18");
    EXPECT_EQ(Hex(EncodeFieldWrite(DecodeField(Row(4.0, 16, 2)), 4660)),
              "1B 7E 62 02 04 FF 12 1B 7E 62 02 05 FF 34");
    // A zero value still goes out as a zero byte.
    EXPECT_EQ(Hex(EncodeFieldWrite(DecodeField(Row(0.0, 8, 0)), 0)), "1B 7E 62 00 00 FF 00");
}

TEST(FieldCodecTest, WriteAndReadAgree) {
    for (double location : {0.0, 5.2, 7.5, 9.7}) {
        const FieldLocation field = DecodeField(Row(location, 1, 3));
        for (int value : {0, 1}) {
            const std::string write = EncodeFieldWrite(field, value);
            ASSERT_EQ(write.size(), 7u);
            const auto data = static_cast<uint8_t>(write[6]);
            EXPECT_EQ(DecodeByteField(field, data), value) << location;
        }
    }
}

}  // namespace
}  // namespace varnel
