#include "flash/FlashLine.h"

#include <algorithm>
#include <cctype>

#include "base/TextNumbers.h"
#include "io/PortName.h"

namespace varnel {

namespace {

constexpr std::string_view kFastBootLoaderPrefix = "PB15";
constexpr uint32_t kFastBootLoaderRate = 115200;
constexpr uint32_t kDefaultFlashRate = 57600;
constexpr std::string_view kBaudKey = "baud=";
constexpr std::string_view kFlashLineTail = " parity=N data=8 stop=2";
// The switch command carries the rate in thousands in one byte.
constexpr uint32_t kRateUnit = 1000;
constexpr uint32_t kLargestRateUnits = 255;

FlashLine LineAt(uint32_t rate, std::string_view rateText) {
    return {rate, std::string(kBaudKey) + std::string(rateText) + std::string(kFlashLineTail)};
}

}  // namespace

bool IsSerialLine(std::string_view portName) { return ClassifyPortName(portName) == PortKind::Serial; }

std::optional<FlashLine> ChooseFlashLine(std::string_view bootLoaderRev, std::string_view flashBaud) {
    if (bootLoaderRev.starts_with(kFastBootLoaderPrefix))
        return LineAt(kFastBootLoaderRate, std::to_string(kFastBootLoaderRate));
    if (flashBaud.empty()) return LineAt(kDefaultFlashRate, std::to_string(kDefaultFlashRate));

    bool allDigits = std::all_of(flashBaud.begin(), flashBaud.end(),
                                 [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    int32_t rate = AtoI(flashBaud);
    if (!allDigits || rate < static_cast<int32_t>(kRateUnit) ||
        static_cast<uint32_t>(rate) / kRateUnit > kLargestRateUnits)
        return std::nullopt;
    return LineAt(static_cast<uint32_t>(rate), flashBaud);
}

}  // namespace varnel
