#include "DemoModel.h"

#include <array>
#include <string_view>

#include "ConfigSettings.h"
#include "MapRows.h"

namespace varnel::sim {
namespace {

// Settings that describe the file or the host's work rather than the printer.
constexpr std::array<std::string_view, 6> kHostOnlySettings{"File_Comment",    "Firmware_ID",       "M80FirmwareID",
                                                            "M80FirmwareFile", "M80FirmwareLoader", "Pre_Init_Command"};
constexpr int kMaxSplitWidth = 16;
constexpr int kByteBits = 8;
constexpr long kMaxTextTable = 255;  // a table number is one byte of the command

bool IsHostOnly(const std::string& name) {
    for (std::string_view each : kHostOnlySettings)
        if (name == each) return true;
    return false;
}

// Where a numeric setting lives: offset O, lowest bit B (the first decimal digit of the location).
struct Field {
    int table;
    int offset;
    int bit;
    int width;
};

Field FieldOf(const MapRow& row) {
    const int offset = static_cast<int>(row.location);
    const int bit = static_cast<int>(row.location * 10 - offset * 10 + 0.0001);
    return Field{static_cast<int>(row.table), offset, bit, static_cast<int>(row.width)};
}

std::string PlaceNumber(const Field& field, long value, PrinterMemory& memory) {
    if (!PrinterMemory::IsTable(field.table)) return "table out of range";
    if (field.width <= 0 || field.width > kMaxSplitWidth) return "width out of range";
    const int lastOffset = field.offset + (field.width > kByteBits ? 1 : 0);
    if (field.offset < 0 || lastOffset >= PrinterMemory::kTableSize) return "offset out of range";
    if (field.bit < 0 || field.bit >= kByteBits) return "bit out of range";
    const unsigned long shifted = static_cast<unsigned long>(value) << field.bit;
    if (field.width <= kByteBits) {
        const auto mask = static_cast<std::uint8_t>(((1u << field.width) - 1) << field.bit);
        memory.MaskedWrite(field.table, field.offset, mask, static_cast<std::uint8_t>(shifted));
        return {};
    }
    memory.MaskedWrite(field.table, field.offset, 0xFF, static_cast<std::uint8_t>(shifted >> kByteBits));
    memory.MaskedWrite(field.table, field.offset + 1, 0xFF, static_cast<std::uint8_t>(shifted));
    return {};
}

}  // namespace

DemoModelReport LoadDemoModel(const std::string& mapText, const std::string& configText, PrinterMemory& memory) {
    DemoModelReport report;
    const std::vector<MapRow> rows = ParseMapRows(mapText);
    if (const MapRow* firmware = FindMapRow(rows, "Firmware")) report.firmware = firmware->text;
    for (const ConfigSetting& setting : ParseConfigSettings(configText)) {
        if (IsHostOnly(setting.name)) continue;
        const MapRow* row = FindMapRow(rows, setting.name);
        if (!row) {
            report.notes.push_back(setting.name + ": not in the map");
            continue;
        }
        if (setting.isText) {
            if (row->table < 0 || row->table > kMaxTextTable) {
                report.notes.push_back(setting.name + ": table out of range");
                continue;
            }
            memory.SetText(static_cast<int>(row->table), setting.text);
            ++report.placed;
            continue;
        }
        const std::string problem = PlaceNumber(FieldOf(*row), setting.value, memory);
        if (!problem.empty()) {
            report.notes.push_back(setting.name + ": " + problem);
            continue;
        }
        ++report.placed;
    }
    return report;
}

}  // namespace varnel::sim
