#include "ConfigSettings.h"

#include "SimNumbers.h"
#include "TextLines.h"

namespace varnel::sim {

std::vector<ConfigSetting> ParseConfigSettings(std::string_view text) {
    std::vector<ConfigSetting> settings;
    for (const std::string& line : SplitLines(text)) {
        const std::string_view trimmed = TrimLeft(line);
        if (trimmed.size() < 2 || trimmed.front() == '&' || trimmed.front() == ';') continue;
        if (line.find("//") != std::string::npos) continue;
        ConfigSetting setting;
        setting.name = std::string(FirstToken(trimmed));
        setting.value = LeadingInt(AfterFirstToken(trimmed));
        const std::size_t open = line.find('"');
        const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        if (close != std::string::npos) {
            setting.isText = true;
            setting.text = line.substr(open + 1, close - open - 1);
        }
        settings.push_back(std::move(setting));
    }
    return settings;
}

}  // namespace varnel::sim
