#include "model/SafeFormat.h"

#include <algorithm>
#include <optional>

#include "model/ConfigModel.h"

namespace varnel {
namespace {

// Widths and precisions beyond this only add padding past the length kept anyway.
constexpr int kFieldLimit = 1000;

enum class Length { Int, Short, Char };

struct Conversion {
    bool leftAlign = false;
    bool plusSign = false;
    bool spaceSign = false;
    bool alternate = false;
    bool zeroPad = false;
    int width = 0;
    std::optional<int> precision;
    Length length = Length::Int;
    char type = 'd';
    size_t end = 0;  // index just past the conversion in the format
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int ReadNumber(std::string_view format, size_t& i) {
    int number = 0;
    for (; i < format.size() && IsDigit(format[i]); ++i) number = std::min(number * 10 + (format[i] - '0'), kFieldLimit);
    return number;
}

void ReadFlags(std::string_view format, size_t& i, Conversion& conversion) {
    for (; i < format.size(); ++i) {
        switch (format[i]) {
            case '-': conversion.leftAlign = true; break;
            case '+': conversion.plusSign = true; break;
            case ' ': conversion.spaceSign = true; break;
            case '#': conversion.alternate = true; break;
            case '0': conversion.zeroPad = true; break;
            default: return;
        }
    }
}

void ReadLength(std::string_view format, size_t& i, Conversion& conversion) {
    if (i < format.size() && format[i] == 'h') {
        ++i;
        conversion.length = Length::Short;
        if (i < format.size() && format[i] == 'h') {
            ++i;
            conversion.length = Length::Char;
        }
    } else if (i < format.size() && format[i] == 'l') {
        ++i;  // a 32-bit long
    }
}

// Parses the conversion that starts with the "%" at `start`; nothing when it is not an integer
// conversion this formatter honours ("*" widths, other types, longer lengths).
std::optional<Conversion> ParseConversion(std::string_view format, size_t start) {
    Conversion conversion;
    size_t i = start + 1;
    ReadFlags(format, i, conversion);
    conversion.width = ReadNumber(format, i);
    if (i < format.size() && format[i] == '.') {
        ++i;
        conversion.precision = ReadNumber(format, i);
    }
    ReadLength(format, i, conversion);
    if (i >= format.size()) return std::nullopt;
    char type = format[i];
    if (type != 'd' && type != 'i' && type != 'u' && type != 'x' && type != 'X' && type != 'o') return std::nullopt;
    conversion.type = type;
    conversion.end = i + 1;
    return conversion;
}

bool IsSigned(const Conversion& conversion) { return conversion.type == 'd' || conversion.type == 'i'; }

int64_t NarrowSigned(int32_t value, Length length) {
    switch (length) {
        case Length::Short: return static_cast<int16_t>(value);
        case Length::Char: return static_cast<int8_t>(value);
        default: return value;
    }
}

uint64_t NarrowUnsigned(int32_t value, Length length) {
    switch (length) {
        case Length::Short: return static_cast<uint16_t>(value);
        case Length::Char: return static_cast<uint8_t>(value);
        default: return static_cast<uint32_t>(value);
    }
}

std::string Digits(uint64_t magnitude, char type) {
    unsigned base = type == 'o' ? 8 : (type == 'x' || type == 'X') ? 16 : 10;
    const char* symbols = type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string digits;
    do {
        digits.push_back(symbols[magnitude % base]);
        magnitude /= base;
    } while (magnitude != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::string Render(const Conversion& conversion, int32_t value) {
    std::string sign;
    uint64_t magnitude = 0;
    if (IsSigned(conversion)) {
        int64_t narrowed = NarrowSigned(value, conversion.length);
        magnitude = narrowed < 0 ? static_cast<uint64_t>(-narrowed) : static_cast<uint64_t>(narrowed);
        if (narrowed < 0) sign = "-";
        else if (conversion.plusSign) sign = "+";
        else if (conversion.spaceSign) sign = " ";
    } else {
        magnitude = NarrowUnsigned(value, conversion.length);
    }

    // A precision of 0 prints nothing for the value 0.
    const bool noDigits = conversion.precision && *conversion.precision == 0 && magnitude == 0;
    std::string digits = noDigits ? "" : Digits(magnitude, conversion.type);
    if (conversion.precision && digits.size() < static_cast<size_t>(*conversion.precision))
        digits.insert(0, static_cast<size_t>(*conversion.precision) - digits.size(), '0');

    std::string prefix;
    if (conversion.alternate && conversion.type == 'o' && (digits.empty() || digits.front() != '0'))
        digits.insert(0, "0");
    if (conversion.alternate && magnitude != 0 && conversion.type == 'x') prefix = "0x";
    if (conversion.alternate && magnitude != 0 && conversion.type == 'X') prefix = "0X";

    std::string head = sign + prefix;
    size_t used = head.size() + digits.size();
    size_t width = static_cast<size_t>(conversion.width);
    if (used >= width) return head + digits;
    size_t padding = width - used;
    if (conversion.leftAlign) return head + digits + std::string(padding, ' ');
    // The 0 flag is ignored with a precision or with "-".
    if (conversion.zeroPad && !conversion.precision) return head + std::string(padding, '0') + digits;
    return std::string(padding, ' ') + head + digits;
}

}  // namespace

std::string SafeFormat(std::string_view format, int32_t value) {
    size_t nul = format.find('\0');
    if (nul != std::string_view::npos) format = format.substr(0, nul);

    std::string out;
    bool converted = false;
    size_t i = 0;
    while (i < format.size() && out.size() < kMaxFormattedLength) {
        if (format[i] != '%') {
            out.push_back(format[i++]);
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out.push_back('%');
            i += 2;
            continue;
        }
        if (!converted) {
            if (std::optional<Conversion> conversion = ParseConversion(format, i)) {
                out += Render(*conversion, value);
                i = conversion->end;
                converted = true;
                continue;
            }
        }
        out.push_back(format[i++]);
    }
    if (out.size() > kMaxFormattedLength) out.resize(kMaxFormattedLength);
    return out;
}

std::string OptionShownText(const OptionEntry& option, int32_t value) {
    return option.low == -1 ? option.text : SafeFormat(option.text, value);
}

}  // namespace varnel
