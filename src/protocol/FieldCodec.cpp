#include "protocol/FieldCodec.h"

#include <cmath>

#include "protocol/PrinterCommands.h"

namespace varnel {
namespace {

// Guards the bit number against a location such as 12.3 being stored as 12.29999...
constexpr double kBitRounding = 0.0001;
constexpr int kDecimalShift = 10;

uint8_t FieldMask(uint8_t width, uint8_t bit) {
    constexpr unsigned kBitsInWord = 64;
    const uint64_t ones = width >= kBitsInWord ? ~uint64_t{0} : (uint64_t{1} << width) - 1;
    const uint64_t shifted = bit >= kBitsInWord ? 0 : ones << bit;
    return static_cast<uint8_t>(shifted & 0xFF);
}

int TruncatedOffset(double location) {
    const double whole = std::trunc(location);
    // Far out-of-range locations must not overflow the conversion; they are refused anyway.
    if (whole > 1e6) return 1'000'000;
    if (whole < -1e6) return -1'000'000;
    return static_cast<int>(whole);
}

}  // namespace

FieldLocation DecodeField(const MapEntry& entry) {
    FieldLocation field;
    field.table = static_cast<uint8_t>(entry.table);
    field.offset = TruncatedOffset(entry.location);
    if (field.OffsetFits()) {
        const double bit = entry.location * kDecimalShift - double(field.offset) * kDecimalShift + kBitRounding;
        field.bit = static_cast<uint8_t>(static_cast<int>(bit));
    }
    field.width = static_cast<uint8_t>(entry.width);
    field.mask = FieldMask(field.width, field.bit);
    return field;
}

int32_t DecodeByteField(const FieldLocation& field, uint8_t data) {
    return (field.mask & data) >> field.bit;
}

int32_t DecodeWordField(const FieldLocation& field, uint8_t high, uint8_t low) {
    return (field.mask & high) * 256 + (field.mask & low);
}

std::string EncodeFieldWrite(const FieldLocation& field, int32_t value) {
    const auto offset = static_cast<uint8_t>(field.offset);
    const uint32_t shifted = field.bit >= 32 ? 0 : static_cast<uint32_t>(value) << field.bit;
    if (field.width != kWordFieldWidth)
        return cmd::MaskedByteWrite(field.table, offset, field.mask, static_cast<uint8_t>(shifted & 0xFF));
    constexpr uint8_t kWholeByte = 0xFF;
    return cmd::MaskedByteWrite(field.table, offset, kWholeByte, static_cast<uint8_t>((shifted >> 8) & 0xFF)) +
           cmd::MaskedByteWrite(field.table, static_cast<uint8_t>(offset + 1), kWholeByte,
                                static_cast<uint8_t>(shifted & 0xFF));
}

}  // namespace varnel
