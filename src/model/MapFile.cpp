#include "model/MapFile.h"

#include <cstdio>
#include <fstream>
#include <vector>

#include "base/Reporter.h"
#include "base/TextNumbers.h"
#include "model/DescriptionFile.h"
#include "model/DescriptionLines.h"
#include "model/LockValue.h"
#include "model/SettingNames.h"

namespace varnel {
namespace {

// Weights of the map lock sum.
constexpr double kLocationWeight = 3.7;
constexpr double kTableWeight = 4.9;
constexpr double kWidthWeight = 3.3;
constexpr double kTextWeight = 0.5;
constexpr double kNameWeight = 0.3;
// The lock is compared to two decimals: a stored value within 0.02 is accepted.
constexpr double kMapLockScale = 100.0;

constexpr std::string_view kAdvice =
    "\n\nWARNING: Do not modify a map file. Modification of a map file can render your printer unusable."
    "\nObtain map files from your printer manufactrure. ";
constexpr DescriptionTexts kMapTexts{
    "Unable to Read Map file from Disk: ",
    "Map file Lock Value is missing, reading file failed: ",
    kAdvice,
    "Map file Lock Value is incorrect, reading file failed: ",
    kAdvice,
    "Map file value should be: ",
};
constexpr const char* kLoadFailed = "Error reading map File: ";

// The reader starts from rows with every text emptied, the header text included.
void ClearRowsForReading(MapTable& table) {
    for (MapEntry& row : table) row = MapEntry{};
}

bool IsHeaderName(std::string_view name) { return name == kModelName || name == kFirmwareName; }

// One entry line; `afterName` is the line after the name and the blanks after it.
void FillEntry(MapEntry& entry, std::string_view raw, std::string_view name, std::string_view afterName) {
    entry.name = name;
    if (IsHeaderName(name)) {
        entry.text = ValueBeforeComment(afterName);
    } else {
        std::string_view rest = afterName;
        entry.location = AtoF(rest);
        rest = DropToken(rest);
        entry.width = AtoI(rest);
        rest = DropToken(rest);
        entry.table = AtoI(rest);
    }
    entry.comment = CommentOfLine(raw);
}

void ReadEntries(MapTable& table, std::istream& in) {
    int row = 0;
    ForEachDescriptionLine(in, [&](const std::string& raw, std::string_view t) {
        // A comment line waits in the row of the next entry, which replaces it with its own.
        if (IsCommentLine(t)) {
            table[row].comment = raw;
            return true;
        }
        FillEntry(table[row], raw, FirstToken(t), DropToken(t));
        return ++row < kMaxMapRows;
    });
}

std::string FormatLockValue(double value) {
    int length = std::snprintf(nullptr, 0, "%2.2f", value);
    if (length <= 0) return {};
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::snprintf(text.data(), text.size(), "%2.2f", value);
    return std::string(text.data(), static_cast<size_t>(length));
}

}  // namespace

double ComputeMapLockValue(const MapTable& table) {
    return TableLockValue(table, [](const MapEntry& row, double& sum) {
        if (row.location != -1.0) sum += row.location * kLocationWeight;
        if (row.table != -1) sum += row.table * kTableWeight;
        if (row.width != -1) sum += row.width * kWidthWeight;
        if (!row.text.empty()) sum += CharSum(row.text) * kTextWeight;
        if (!row.name.empty()) sum += CharSum(row.name) * kNameWeight;
    });
}

bool ReadMapStream(ConfigModel& model, MapTable& table, std::istream& in, const std::string& path,
                   bool printLock, Reporter& reporter) {
    ClearRowsForReading(table);
    const auto readRows = [&](std::istream& rows) {
        ReadEntries(table, rows);
        model.mapLockValue = ComputeMapLockValue(table);
        const int lockRow = FindMapRow(table, kSetupName);
        return DescriptionLock{model.mapLockValue,
                               lockRow < 0 ? std::nullopt : std::optional<double>(table[lockRow].location),
                               kMapLockScale, FormatLockValue(model.mapLockValue)};
    };
    return ReadDescription(in, path, kMapTexts, {printLock, model.lockOverride}, reporter, readRows,
                           [&table] { ClearMapTable(table); });
}

bool ReadMapFile(ConfigModel& model, MapTable& table, const std::string& path, bool printLock,
                 Reporter& reporter) {
    std::ifstream in;
    OpenDescriptionFile(in, path);
    return ReadMapStream(model, table, in, path, printLock, reporter);
}

bool LoadMapFile(ConfigModel& model, const std::string& path, bool printLock, Reporter& reporter) {
    model.mapFilePath = path;
    if (ReadMapFile(model, model.mapEntries, path, printLock, reporter)) return true;
    reporter.ReportError(kLoadFailed + path, event::kGeneral, kSeverityError);
    return false;
}

bool ReloadMapFile(ConfigModel& model, Reporter& reporter) {
    if (model.mapFilePath.empty()) return true;
    const std::string path = model.mapFilePath;
    return LoadMapFile(model, path, false, reporter);
}

}  // namespace varnel
