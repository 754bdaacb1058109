#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzReporter.h"
#include "model/SafeFormat.h"

using namespace varnel;

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// An independent, deliberately plain check that a format holds "%%" pairs and at most one
// integer conversion with short widths, so that snprintf may be run on it for comparison.
bool SafeForPrintf(std::string_view format) {
    int conversions = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        if (i + 1 < format.size() && format[i + 1] == '%') {
            ++i;
            continue;
        }
        ++i;
        while (i < format.size() && std::strchr("-+ #0", format[i]) && format[i] != '\0') ++i;
        for (int digits = 0; i < format.size() && IsDigit(format[i]); ++i)
            if (++digits > 3) return false;
        if (i < format.size() && format[i] == '.') {
            ++i;
            for (int digits = 0; i < format.size() && IsDigit(format[i]); ++i)
                if (++digits > 3) return false;
        }
        if (i < format.size() && format[i] == 'h') ++i;
        if (i < format.size() && format[i] == 'h') ++i;
        if (i >= format.size() || format[i] == '\0' || !std::strchr("diuxXo", format[i])) return false;
        if (++conversions > 1) return false;
    }
    return true;
}

}  // namespace

// The first four bytes are the value, the rest the format.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    int32_t value = 0;
    std::memcpy(&value, data, sizeof value);
    std::string format(reinterpret_cast<const char*>(data) + 4, size - 4);

    std::string result = SafeFormat(format, value);
    fuzz::Require(result.size() <= kMaxFormattedLength);

    std::string_view upToNul(format.c_str());
    if (!SafeForPrintf(upToNul)) return 0;
    char expected[kMaxFormattedLength + 1];
    std::snprintf(expected, sizeof expected, format.c_str(), value);
    fuzz::Require(result == expected);
    return 0;
}
