#include "MapRows.h"

#include "SimNumbers.h"
#include "TextLines.h"

namespace varnel::sim {

std::vector<MapRow> ParseMapRows(std::string_view text) {
    std::vector<MapRow> rows;
    for (const std::string& line : SplitLines(text)) {
        const std::string_view trimmed = TrimLeft(line);
        if (trimmed.size() < 2 || trimmed.front() == ';') continue;
        MapRow row;
        row.name = std::string(FirstToken(trimmed));
        std::string_view rest = AfterFirstToken(trimmed);
        if (row.name == "Model" || row.name == "Firmware") {
            row.text = std::string(TrimRight(rest.substr(0, rest.find(';'))));
        } else {
            row.location = LeadingDouble(rest);
            rest = AfterFirstToken(rest);
            row.width = LeadingInt(rest);
            row.table = LeadingInt(AfterFirstToken(rest));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

const MapRow* FindMapRow(const std::vector<MapRow>& rows, std::string_view name) {
    for (const MapRow& row : rows)
        if (row.name == name) return &row;
    return nullptr;
}

}  // namespace varnel::sim
