#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel::sim {

// One setting line of a configuration file.
struct ConfigSetting {
    std::string name;
    long value = 0;
    bool isText = false;
    std::string text;
};

// The setting lines of a configuration file's text; custom comments, comments, short lines and
// the human-readable lines (those holding "//") are passed over.
std::vector<ConfigSetting> ParseConfigSettings(std::string_view text);

}  // namespace varnel::sim
