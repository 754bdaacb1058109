#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel::sim {

// One entry of a map file, as far as the printer needs it to place a setting.
struct MapRow {
    std::string name;
    std::string text;  // of the "Model" and "Firmware" header entries
    double location = -1.0;
    long width = 0;
    long table = 0;
};

// The entries of a map file's text. The lock value is not checked: the printer takes the
// layout as it is given.
std::vector<MapRow> ParseMapRows(std::string_view text);

const MapRow* FindMapRow(const std::vector<MapRow>& rows, std::string_view name);

}  // namespace varnel::sim
