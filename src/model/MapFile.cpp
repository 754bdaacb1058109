#include "model/MapFile.h"

#include <cstdio>
#include <fstream>
#include <vector>

#include "base/Reporter.h"
#include "base/TextNumbers.h"
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

constexpr const char* kUnableToRead = "Unable to Read Map file from Disk: ";
constexpr const char* kLockMissing = "Map file Lock Value is missing, reading file failed: ";
constexpr const char* kLockIncorrect = "Map file Lock Value is incorrect, reading file failed: ";
constexpr const char* kWarning =
    "\n\nWARNING: Do not modify a map file. Modification of a map file can render your printer unusable.";
constexpr const char* kObtainFiles = "\nObtain map files from your printer manufactrure. ";
constexpr const char* kShouldBe = "Map file value should be: ";
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
    DescriptionLineReader reader(in);
    int row = 0;
    for (int lines = 0; lines < kMaxDescriptionLines && reader.Good() && row < kMaxMapRows; ++lines) {
        std::string raw = reader.ReadLine();
        std::string_view t = SkipBlanks(raw);
        if (t.empty()) continue;
        // A comment line waits in the row of the next entry, which replaces it with its own.
        if (t.front() == ';' || t.size() < 2) {
            table[row].comment = raw;
            continue;
        }
        std::string_view name = FirstToken(t);
        FillEntry(table[row], raw, name, DropToken(t));
        ++row;
    }
}

std::string FormatLockValue(double value) {
    int length = std::snprintf(nullptr, 0, "%2.2f", value);
    if (length <= 0) return {};
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::snprintf(text.data(), text.size(), "%2.2f", value);
    return std::string(text.data(), static_cast<size_t>(length));
}

std::string LockErrorText(const char* head, const std::string& path) {
    return head + path + kWarning + kObtainFiles + QuotedMakerAddress();
}

}  // namespace

double ComputeMapLockValue(const MapTable& table) {
    double sum = 0.0;
    for (const MapEntry& row : table) {
        if (row.name == kSetupName) continue;
        if (row.location != -1.0) sum += row.location * kLocationWeight;
        if (row.table != -1) sum += row.table * kTableWeight;
        if (row.width != -1) sum += row.width * kWidthWeight;
        if (!row.text.empty()) sum += CharSum(row.text) * kTextWeight;
        if (!row.name.empty()) sum += CharSum(row.name) * kNameWeight;
    }
    return ReduceLockSum(sum);
}

bool ReadMapStream(ConfigModel& model, MapTable& table, std::istream& in, const std::string& path,
                   bool printLock, Reporter& reporter) {
    ClearRowsForReading(table);
    if (!in) {
        reporter.ReportError(kUnableToRead + path, event::kGeneral, kSeverityError);
        return false;
    }
    ReadEntries(table, in);

    model.mapLockValue = ComputeMapLockValue(table);
    int lockRow = FindMapRow(table, kSetupName);
    if (lockRow < 0) {
        reporter.ReportError(LockErrorText(kLockMissing, path), event::kGeneral, kSeverityError);
        return false;
    }
    double stored = table[lockRow].location;
    if (printLock)
        reporter.ReportMessage(kShouldBe + FormatLockValue(model.mapLockValue), event::kGeneral, kSeverityMessage);
    if (LockMatches(model.mapLockValue, stored, kMapLockScale)) return true;

    reporter.ReportError(LockErrorText(kLockIncorrect, path), event::kGeneral, kSeverityError);
    if (model.lockOverride) return true;
    ClearMapTable(table);
    return false;
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

}  // namespace varnel
