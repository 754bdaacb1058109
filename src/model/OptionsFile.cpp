#include "model/OptionsFile.h"

#include <cmath>
#include <fstream>
#include <vector>

#include "base/ExitRequest.h"
#include "base/Reporter.h"
#include "base/TextNumbers.h"
#include "model/DescriptionFile.h"
#include "model/DescriptionLines.h"
#include "model/DirectorySearch.h"
#include "model/LockValue.h"
#include "model/SettingNames.h"
#include "model/ModelSearchPath.h"

namespace varnel {
namespace {

// Weights of the options lock sum.
constexpr double kValueWeight = 3.7;
constexpr double kNameWeight = 0.3;
constexpr double kGroupWeight = 0.4;
constexpr double kTextWeight = 0.5;
constexpr double kValueTextWeight = 0.2;
// The options lock is compared as a whole number.
constexpr double kOptionsLockScale = 1.0;
constexpr int kWrongLockExitCode = 0;
constexpr char kRangeMark = '-';
constexpr std::string_view kOptionsPattern = "*.opt";

// The two lock errors give their advice in words of their own.
constexpr DescriptionTexts kOptionsTexts{
    "Unable to Read Opts file from Disk: ",
    "Options file Lock Value is missing, reading file failed: ",
    "\n\nWARNING: Do not modify a Options file.\nObtain option files from your printer manufactrure. ",
    "Options file Lock Value is incorrect, reading file failed: ",
    "\n\nWARNING: Do not modify an options file.\nObtain options files from your printer manufactrure. ",
    "Options file lock value should be: ",
};
constexpr const char* kNoModelField = "Could not find Model field in file: ";
constexpr const char* kCouldNotReread = "While locating Opts file, Could not read Opts file: ";
constexpr const char* kModelMismatch = "Model name missmatch or missing in options file.";

// The reader starts from rows with every text emptied and the value 0.
void ClearRowsForReading(OptionsTable& table) {
    for (OptionEntry& row : table) {
        row = OptionEntry{};
        row.value = 0;
    }
}

// "10-20" is the range 10 to 20, "-5" the range -5 to 5: the numbers before and after the
// first "-".
void FillValue(OptionEntry& entry, std::string_view rest) {
    entry.value = AtoI(rest);
    std::string_view token = FirstToken(rest);
    entry.valueText = token;
    size_t mark = token.find(kRangeMark);
    if (mark == std::string_view::npos) return;
    entry.value = -1;
    entry.low = AtoI(token);
    entry.high = AtoI(token.substr(mark + 1));
}

void FillEntry(OptionEntry& entry, std::string_view t) {
    entry.name = FirstToken(t);
    t = DropToken(t);
    entry.group = FirstToken(t);
    t = DropToken(t);
    if (entry.name == kModelName) {
        entry.valueText = ValueBeforeComment(t);
        return;
    }
    FillValue(entry, t);
    // A ";" in the display text is part of it.
    entry.text = TrimBlanks(DropToken(t));
}

void ReadEntries(OptionsTable& table, std::istream& in) {
    int row = 0;
    ForEachDescriptionLine(in, [&](const std::string&, std::string_view t) {
        if (IsCommentLine(t)) return true;
        FillEntry(table[row], t);
        return ++row < kMaxOptions;
    });
}

// The computed lock as a whole number for "%i". An absurd file can push the sum far below any
// int, so the digits are produced from a 64-bit value; within int they read exactly as "%i".
std::string WholeLockText(double lock) {
    double whole = std::trunc(lock);
    constexpr double kLimit = 9.0e18;
    if (!(std::fabs(whole) < kLimit)) whole = 0.0;
    return std::to_string(static_cast<long long>(whole));
}

}  // namespace

double ComputeOptionsLockValue(const OptionsTable& table) {
    return TableLockValue(table, [](const OptionEntry& row, double& sum) {
        if (row.value != -1) sum += row.value * kValueWeight;
        if (!row.name.empty()) sum += CharSum(row.name) * kNameWeight;
        if (!row.group.empty()) sum += CharSum(row.group) * kGroupWeight;
        if (!row.text.empty()) sum += CharSum(row.text) * kTextWeight;
        // The value token counts only in rows with a display text, so the model name of the
        // "Model" entry stays outside the lock.
        if (!row.text.empty()) sum += CharSum(row.valueText) * kValueTextWeight;
    });
}

bool ReadOptionsStream(ConfigModel& model, OptionsTable& table, std::istream& in, const std::string& path,
                       bool printLock, Reporter& reporter) {
    ClearRowsForReading(table);
    const auto readRows = [&table](std::istream& rows) {
        ReadEntries(table, rows);
        const double lock = ComputeOptionsLockValue(table);
        const int lockRow = FindOption(table, kSetupName, -1);
        return DescriptionLock{lock, lockRow < 0 ? std::nullopt : std::optional<double>(table[lockRow].value),
                               kOptionsLockScale, WholeLockText(lock)};
    };
    return ReadDescription(in, path, kOptionsTexts, {printLock, model.lockOverride}, reporter, readRows, [&table] {
        ClearOptionsTable(table);
        throw ExitRequest{kWrongLockExitCode};
    });
}

bool ReadOptionsFile(ConfigModel& model, OptionsTable& table, const std::string& path, bool printLock,
                     Reporter& reporter) {
    std::ifstream in;
    OpenDescriptionFile(in, path);
    return ReadOptionsStream(model, table, in, path, printLock, reporter);
}

namespace {

bool LocateOptionsAmong(ConfigModel& model, std::string_view modelName, Reporter& reporter,
                        const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        if (!ReadOptionsFile(model, model.options, path, false, reporter)) continue;
        int modelRow = FindOption(model.options, kModelName, -1);
        if (modelRow < 0) {
            reporter.ReportError(kNoModelField + path, event::kGeneral, kSeverityError);
            return false;
        }
        if (model.options[modelRow].valueText != modelName) continue;
        if (!ReadOptionsFile(model, model.options, path, false, reporter)) {
            reporter.ReportError(kCouldNotReread + path, event::kGeneral, kSeverityError);
            return false;
        }
        return true;
    }
    reporter.ReportError(kModelMismatch, event::kGeneral, kSeverityError);
    return false;
}

}  // namespace

bool LocateOptionsFile(ConfigModel& model, std::string_view modelName, Reporter& reporter) {
    return LocateOptionsAmong(model, modelName, reporter, ModelSearchPath::Current().MatchingFiles(kOptionsPattern));
}

bool LocateOptionsFile(ConfigModel& model, std::string_view modelName, Reporter& reporter,
                       const std::string& directory) {
    return LocateOptionsAmong(model, modelName, reporter, ListMatchingPaths(directory, kOptionsPattern));
}

}  // namespace varnel
