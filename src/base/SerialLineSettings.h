#pragma once

#include <cstdint>

namespace varnel {

enum class SerialParity { None, Odd, Even, Mark, Space };
enum class SerialStopBits { One, OneAndHalf, Two };
enum class SerialFlowControl { XonXoff, Hardware, None };

// The line settings the serial configuration dialog edits. The port layer keeps them in its
// 52-byte configuration record; the dialog sees only these values.
struct SerialLineSettings {
    uint32_t baudRate = 9600;
    int dataBits = 8;
    SerialParity parity = SerialParity::None;
    SerialStopBits stopBits = SerialStopBits::One;
    SerialFlowControl flow = SerialFlowControl::None;

    bool operator==(const SerialLineSettings&) const = default;
};

}  // namespace varnel
