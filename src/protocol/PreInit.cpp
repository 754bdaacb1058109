#include "protocol/PreInit.h"

#include <algorithm>

#include "base/TextNumbers.h"
#include "model/SettingNames.h"

namespace varnel {

std::string ParsePreInitList(std::string_view list) {
    std::string bytes;
    while (bytes.size() < kMaxPreInitBytes) {
        const char byte = static_cast<char>(AtoI(list) & 0xFF);
        // The sequence goes out as a text string: a zero byte ends it.
        if (byte == '\0') break;
        bytes.push_back(byte);
        const size_t comma = list.find(',');
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return bytes;
}

void UpdatePreInitSequence(const SettingsTable& settings, std::string& sequence) {
    const int row = FindSetting(settings, kPreInitCommandName);
    if (row < 0) return;
    const std::string& text = settings[row].text;
    const bool hasDigit = std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!hasDigit) return;
    sequence = ParsePreInitList(text);
}

}  // namespace varnel
