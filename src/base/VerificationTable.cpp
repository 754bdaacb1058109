#include "base/VerificationTable.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <functional>
#include <system_error>

#include "base/AtomicFile.h"
#include "base/UserInterface.h"

namespace varnel {
namespace {

constexpr std::string_view kCsvLineEnd = "\r\n";
constexpr std::string_view kCsvNeedsQuotes = ",\"\r\n";
constexpr std::string_view kSaveTitle = "Save Verification Result";
constexpr std::string_view kCsvFilter = "CSV Files (*.csv)";
constexpr std::string_view kSaveErrorCaption = "Configuration Error";
constexpr std::string_view kSaveErrorText = "Unable to write file: ";
constexpr std::string_view kCsvEnding = ".csv";
constexpr std::string_view kReplaceCaption = "Save Verification Result";
constexpr std::string_view kReplaceText = " already exists. Replace it?";

bool EndsWithCsv(const std::string& path) {
    if (path.size() < kCsvEnding.size()) return false;
    const std::string_view tail = std::string_view(path).substr(path.size() - kCsvEnding.size());
    return std::equal(tail.begin(), tail.end(), kCsvEnding.begin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

using Line = std::array<std::string, 3>;

std::vector<Line> Lines(const std::vector<VerificationRow>& rows) {
    std::vector<Line> lines{{kVerificationColumns[0], kVerificationColumns[1], kVerificationColumns[2]}};
    for (const VerificationRow& row : rows) lines.push_back({row.setting, row.printerValue, row.configurationValue});
    return lines;
}

std::string Join(const std::vector<VerificationRow>& rows, char separator, std::string_view lineEnd,
                 const std::function<std::string(const std::string&)>& field) {
    std::string out;
    for (const Line& line : Lines(rows)) {
        for (size_t i = 0; i < line.size(); ++i) {
            if (i > 0) out += separator;
            out += field(line[i]);
        }
        out += lineEnd;
    }
    return out;
}

std::string TabField(const std::string& value) {
    std::string out = value;
    std::replace_if(out.begin(), out.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return out;
}

std::string CsvField(const std::string& value) {
    if (value.find_first_of(kCsvNeedsQuotes) == std::string::npos) return value;
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string VerificationTabText(const std::vector<VerificationRow>& rows) { return Join(rows, '\t', "\n", TabField); }

std::string VerificationCsv(const std::vector<VerificationRow>& rows) {
    return Join(rows, ',', kCsvLineEnd, CsvField);
}

bool SaveVerificationCsv(UserInterface& ui, const std::vector<VerificationRow>& rows) {
    const std::optional<std::string> path = ui.ChooseSaveFile(std::string(kSaveTitle), std::string(kCsvFilter), "");
    if (!path) return false;
    // The chooser asked about replacing the name typed, not about the one with the ending added.
    const std::string target = EndsWithCsv(*path) ? *path : *path + std::string(kCsvEnding);
    std::error_code ignored;
    if (target != *path && std::filesystem::exists(target, ignored) &&
        !ui.AskYesNo(std::string(kReplaceCaption), target + std::string(kReplaceText)))
        return false;
    const std::error_code error = ReplaceFileAtomically(target, VerificationCsv(rows));
    if (!error) return true;
    ui.MessageBox(std::string(kSaveErrorCaption), std::string(kSaveErrorText) + target + ": " + error.message());
    return false;
}

}  // namespace varnel
