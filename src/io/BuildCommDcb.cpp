#include "io/BuildCommDcb.h"

#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "base/AsciiText.h"

namespace varnel {
namespace {

constexpr uint32_t kBaudNeedingTwoStopBits = 110;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

std::optional<uint32_t> Number(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return value;
}

// The older syntax allows the two-digit abbreviations of the mode command.
std::optional<uint32_t> OldFormBaud(std::string_view text) {
    struct Abbreviation {
        std::string_view text;
        uint32_t baud;
    };
    static constexpr Abbreviation kAbbreviations[] = {
        {"11", 110}, {"15", 150}, {"30", 300}, {"60", 600}, {"12", 1200},
        {"24", 2400}, {"48", 4800}, {"96", 9600}, {"19", 19200},
    };
    for (const Abbreviation& a : kAbbreviations)
        if (text == a.text) return a.baud;
    auto baud = Number(text);
    if (!baud || *baud == 0) return std::nullopt;
    return baud;
}

std::optional<uint8_t> ParityOf(std::string_view text) {
    if (text.size() != 1) return std::nullopt;
    switch (text[0]) {
        case 'n': return dcb::kNoParity;
        case 'o': return dcb::kOddParity;
        case 'e': return dcb::kEvenParity;
        case 'm': return dcb::kMarkParity;
        case 's': return dcb::kSpaceParity;
        default: return std::nullopt;
    }
}

std::optional<uint8_t> DataBitsOf(std::string_view text) {
    auto bits = Number(text);
    if (!bits || *bits < 5 || *bits > 8) return std::nullopt;
    return static_cast<uint8_t>(*bits);
}

std::optional<uint8_t> StopBitsOf(std::string_view text) {
    if (text == "1") return dcb::kOneStopBit;
    if (text == "1.5") return dcb::kOne5StopBits;
    if (text == "2") return dcb::kTwoStopBits;
    return std::nullopt;
}

std::optional<bool> OnOff(std::string_view text) {
    if (text == "on") return true;
    if (text == "off") return false;
    return std::nullopt;
}

void FlowControlOff(Dcb& d) {
    d.Set(dcb::fOutX, false);
    d.Set(dcb::fInX, false);
    d.Set(dcb::fOutxCtsFlow, false);
    d.Set(dcb::fOutxDsrFlow, false);
}

// Drops a leading "COMn" or "COMn:" device name.
std::string_view SkipDeviceName(std::string_view text) {
    if (text.size() < 4 || text.substr(0, 3) != "com") return text;
    size_t i = 3;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i == 3) return text;
    if (i < text.size() && text[i] == ':') ++i;
    return Trim(text.substr(i));
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        parts.push_back(Trim(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start)));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

bool ParseOldForm(std::string_view text, Dcb& d) {
    std::vector<std::string_view> fields = Split(text, ',');
    if (fields.size() > 5) return false;
    auto baud = OldFormBaud(fields[0]);
    if (!baud) return false;
    d.BaudRate = *baud;
    FlowControlOff(d);
    d.SetDtrControl(dcb::kDtrControlEnable);
    d.SetRtsControl(dcb::kRtsControlEnable);
    d.StopBits = *baud == kBaudNeedingTwoStopBits ? dcb::kTwoStopBits : dcb::kOneStopBit;
    if (fields.size() > 1 && !fields[1].empty()) {
        auto parity = ParityOf(fields[1]);
        if (!parity) return false;
        d.Parity = *parity;
        d.Set(dcb::fParity, *parity != dcb::kNoParity);
    }
    if (fields.size() > 2 && !fields[2].empty()) {
        auto bits = DataBitsOf(fields[2]);
        if (!bits) return false;
        d.ByteSize = *bits;
    }
    if (fields.size() > 3 && !fields[3].empty()) {
        auto stop = StopBitsOf(fields[3]);
        if (!stop) return false;
        d.StopBits = *stop;
    }
    if (fields.size() > 4 && !fields[4].empty()) {
        if (fields[4] == "x") {
            d.Set(dcb::fOutX, true);
            d.Set(dcb::fInX, true);
        } else if (fields[4] == "p") {
            d.Set(dcb::fOutxCtsFlow, true);
            d.Set(dcb::fOutxDsrFlow, true);
            d.SetDtrControl(dcb::kDtrControlHandshake);
            d.SetRtsControl(dcb::kRtsControlHandshake);
        } else {
            return false;
        }
    }
    return true;
}

bool ApplyKey(std::string_view key, std::string_view value, Dcb& d) {
    if (key == "baud") {
        auto baud = Number(value);
        if (!baud || *baud == 0) return false;
        d.BaudRate = *baud;
        return true;
    }
    if (key == "parity") {
        auto parity = ParityOf(value);
        if (!parity) return false;
        d.Parity = *parity;
        d.Set(dcb::fParity, *parity != dcb::kNoParity);
        return true;
    }
    if (key == "data") {
        auto bits = DataBitsOf(value);
        if (!bits) return false;
        d.ByteSize = *bits;
        return true;
    }
    if (key == "stop") {
        auto stop = StopBitsOf(value);
        if (!stop) return false;
        d.StopBits = *stop;
        return true;
    }
    if (key == "dtr") {
        if (value == "hs") {
            d.SetDtrControl(dcb::kDtrControlHandshake);
            return true;
        }
        auto on = OnOff(value);
        if (!on) return false;
        d.SetDtrControl(*on ? dcb::kDtrControlEnable : dcb::kDtrControlDisable);
        return true;
    }
    if (key == "rts") {
        if (value == "hs" || value == "tg") {
            d.SetRtsControl(value == "hs" ? dcb::kRtsControlHandshake : dcb::kRtsControlToggle);
            return true;
        }
        auto on = OnOff(value);
        if (!on) return false;
        d.SetRtsControl(*on ? dcb::kRtsControlEnable : dcb::kRtsControlDisable);
        return true;
    }
    auto on = OnOff(value);
    if (!on) return false;
    if (key == "to") return true;  // a write time-out switch; the time-outs are kept elsewhere
    if (key == "xon") {
        d.Set(dcb::fOutX, *on);
        d.Set(dcb::fInX, *on);
    } else if (key == "odsr") {
        d.Set(dcb::fOutxDsrFlow, *on);
    } else if (key == "octs") {
        d.Set(dcb::fOutxCtsFlow, *on);
    } else if (key == "idsr") {
        d.Set(dcb::fDsrSensitivity, *on);
    } else {
        return false;
    }
    return true;
}

bool ParseKeyForm(std::string_view text, Dcb& d) {
    FlowControlOff(d);
    bool any = false;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i == text.size()) break;
        size_t end = i;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
        std::string_view item = text.substr(i, end - i);
        size_t eq = item.find('=');
        if (eq == std::string_view::npos || !ApplyKey(item.substr(0, eq), item.substr(eq + 1), d)) return false;
        any = true;
        i = end;
    }
    return any;
}

}  // namespace

bool BuildCommDcb(std::string_view text, Dcb& dcb) {
    std::string lower = ToLowerAscii(Trim(text));
    std::string_view rest = SkipDeviceName(lower);
    if (rest.empty()) return false;
    Dcb parsed = dcb;
    bool ok = rest.find('=') != std::string_view::npos ? ParseKeyForm(rest, parsed) : ParseOldForm(rest, parsed);
    if (!ok) return false;
    dcb = parsed;
    return true;
}

}  // namespace varnel
