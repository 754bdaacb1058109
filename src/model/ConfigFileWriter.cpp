#include "model/ConfigFileWriter.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <string_view>

#include "base/AtomicFile.h"
#include "base/Reporter.h"
#include "model/ConfigFileReader.h"
#include "model/ConfigModel.h"
#include "model/SafeFormat.h"
#include "model/SettingNames.h"

namespace varnel {
namespace {

// Setting lines put their value at this column; the name field before it is padded with blanks.
constexpr size_t kValueColumn = 22;
constexpr size_t kNamePadding = 31;
constexpr std::string_view kHumanPrefix = "//  ";
constexpr std::string_view kLineEnd = "\r\n";
// Fields of the value part of a line are spaced as the format has always been written.
constexpr std::string_view kHumanTextGap = "         ";
constexpr std::string_view kHumanValueGap = "               ";
constexpr std::string_view kMachineTextGap = "       ";
constexpr std::string_view kMachineValueGap = "               ";
// How much of a comment line names it in a report.
constexpr size_t kReportedCommentLength = 32;

constexpr std::string_view kBannerRule = "/////////////////////////////////////////////////////////////////";
constexpr std::array<std::string_view, 6> kCustomCommentsBanner = {
    kBannerRule,
    "// This section is for custom comments only.                   //",
    "//                                                             //",
    "// NOTE: Comment lines MUST start with the \"&\" character       //",
    "//                                                             //",
    kBannerRule,
};
constexpr std::array<std::string_view, 5> kHumanReadableBanner = {
    kBannerRule,
    "// This section is Human Readable Information only.            //",
    "// Any edit to this section will have no effect and will       //",
    "// be overwritten.                                             //",
    kBannerRule,
};
constexpr std::array<std::string_view, 3> kMachineReadableBanner = {
    kBannerRule,
    "// This is the machine Readable Information section.           //",
    kBannerRule,
};
constexpr int kBlankLinesBeforeMachineSection = 3;

constexpr std::string_view kInternalErrorStart =
    "//    Internal error parsing configruation. Value not found, or out of range, for ";
constexpr std::string_view kInternalErrorEnd = " //";

const std::string kUnableToWrite = "Unable to Write Configuration to Disk: ";
const std::string kLineTooLong = "Configuration line too long, not written: ";
const std::string kLineNotReadable = "Configuration line would be ignored on reading, not written: ";
// The reader skips every line holding this, as banners and the listing hold it.
constexpr std::string_view kIgnoredMarker = "//";

bool IsIdentityName(std::string_view name) {
    return name == kFirmwareIdName || name == kFileCommentName || name == kModelName;
}

// Its custom comment is not looked at: that goes to the first section on its own.
bool IsBlankForWriting(const SettingRow& row) {
    return row.value == -1 && row.name.empty() && row.comment.empty() && row.text.empty();
}

bool IsCommentRow(const SettingRow& row) {
    return row.name.empty() && row.text.empty() && row.value == -1 && !row.comment.empty();
}

bool BelongsInFile(const OptionsTable& options, const SettingRow& row) {
    return IsIdentityName(row.name) || IsWritable(options, row.name);
}

// The name field cut or padded so that the value starts at `column`.
std::string NameField(std::string_view field, size_t column) {
    std::string padded(field);
    padded.append(kNamePadding, ' ');
    padded.resize(column);
    return padded;
}

std::string CommentLabel(std::string_view comment) {
    if (comment.size() <= kReportedCommentLength) return std::string(comment);
    return std::string(comment.substr(0, kReportedCommentLength)) + "...";
}

// The file's text as it is built. A line the reader would split or skip is left out and
// reported (once per setting), so no part of it can come back as a line of its own.
class ConfigFileText {
public:
    explicit ConfigFileText(Reporter& reporter) : reporter_(reporter) {}

    void Line(std::string_view line, std::string_view label) {
        if (line.size() >= static_cast<size_t>(kMaxConfigLineLength)) {
            Refuse(kLineTooLong, label);
            return;
        }
        bytes_.append(line);
        bytes_.append(kLineEnd);
    }
    // A setting line holding "//" would be skipped on reading, the setting lost without a word.
    void SettingLine(std::string_view line, std::string_view name) {
        if (line.find(kIgnoredMarker) != std::string_view::npos) {
            Refuse(kLineNotReadable, name);
            return;
        }
        Line(line, name);
    }
    template <size_t N>
    void Lines(const std::array<std::string_view, N>& lines) {
        for (std::string_view line : lines) Line(line, line);
    }
    void BlankLine() { bytes_.append(kLineEnd); }

    const std::string& bytes() const { return bytes_; }
    bool complete() const { return complete_; }

private:
    void Refuse(const std::string& why, std::string_view label) {
        complete_ = false;
        if (reported_.insert(std::string(label)).second)
            reporter_.ReportError(why + std::string(label), event::kGeneral);
    }

    Reporter& reporter_;
    std::string bytes_;
    std::set<std::string> reported_;
    bool complete_ = true;
};

// The listing is never read back, so a long line is cut rather than left out: what the reader
// would split off can then not come back as a setting line.
std::string ListingLine(std::string line) {
    if (line.size() >= static_cast<size_t>(kMaxConfigLineLength)) line.resize(kMaxConfigLineLength - 1);
    return line;
}

// One line per setting showing the chosen option's text; a value no option covers is flagged
// in the file itself.
void WriteHumanReadableLine(ConfigFileText& out, const OptionsTable& options, const SettingRow& row) {
    std::string field = std::string(kHumanPrefix) + row.name;
    std::string start = NameField(field, kValueColumn);
    if (row.value == -1) {
        out.Line(ListingLine(start + " = \"" + row.text + "\"" + std::string(kHumanTextGap) + row.comment), row.name);
        return;
    }
    int option = FindOption(options, row.name, row.value);
    if (option < 0) {
        out.Line(ListingLine(std::string(kInternalErrorStart) + row.name + std::string(kInternalErrorEnd)), row.name);
        out.Line(ListingLine(field + std::string(kNamePadding, ' ')), row.name);
        return;
    }
    const std::string shown = OptionShownText(options[option], row.value);
    out.Line(ListingLine(start + " = " + shown + std::string(kHumanValueGap) + row.comment), row.name);
}

// A name too long for the value column gets a wider one, with one blank before the value.
std::string MachineReadableLine(const SettingRow& row) {
    size_t column = std::max(kValueColumn, row.name.size() + 1);
    std::string start = NameField(row.name, column);
    if (row.value == -1) return start + "\"" + row.text + "\"" + std::string(kMachineTextGap) + row.comment;
    return start + std::to_string(row.value) + std::string(kMachineValueGap) + row.comment;
}

// A row without a name that can take the comment. A comment row holding "//" is passed over:
// as the trailing comment of a setting line it would hide that line from the reader.
int RowForFileComment(const SettingsTable& settings) {
    for (int i = 0; i < kMaxSettings; ++i) {
        const SettingRow& row = settings[i];
        if (row.name.empty() && row.comment.find(kIgnoredMarker) == std::string::npos) return i;
    }
    return -1;
}

// The row that takes the configuration's comment: "File_Comment", or the first row without a
// name; -1 when there is neither.
int FileCommentRow(const SettingsTable& settings) {
    int row = FindSetting(settings, kFileCommentName);
    return row >= 0 ? row : RowForFileComment(settings);
}

// The "File_Comment" setting line. A note the row carries after the comment goes on the line
// before it when both would not fit on one: the comment then keeps the whole room it was given.
void WriteFileCommentLine(ConfigFileText& out, const SettingRow& row) {
    std::string line = MachineReadableLine(row);
    if (line.size() < static_cast<size_t>(kMaxConfigLineLength) || row.comment.empty()) {
        out.SettingLine(line, row.name);
        return;
    }
    SettingRow withoutNote = row;
    withoutNote.comment.clear();
    out.Line(row.comment, CommentLabel(row.comment));
    out.SettingLine(MachineReadableLine(withoutNote), row.name);
}

void StoreFileComment(ConfigModel& model) {
    int row = FileCommentRow(model.settings);
    if (row < 0) return;
    model.settings[row].name = kFileCommentName;
    model.settings[row].text = model.comment;
}

// Builds the whole file. Changes the table: see StoreFileComment.
ConfigFileText BuildConfigurationFile(ConfigModel& model, Reporter& reporter) {
    ConfigFileText out(reporter);
    out.Lines(kCustomCommentsBanner);
    for (const SettingRow& row : model.settings)
        if (!row.customComment.empty()) out.Line(row.customComment, CommentLabel(row.customComment));

    // The listing shows the comment the file holds.
    StoreFileComment(model);
    out.Lines(kHumanReadableBanner);
    out.BlankLine();
    for (const SettingRow& row : model.settings) {
        if (IsBlankForWriting(row) || !BelongsInFile(model.options, row)) continue;
        WriteHumanReadableLine(out, model.options, row);
    }

    for (int i = 0; i < kBlankLinesBeforeMachineSection; ++i) out.BlankLine();
    out.Lines(kMachineReadableBanner);
    out.BlankLine();
    for (const SettingRow& row : model.settings) {
        if (IsBlankForWriting(row)) continue;
        if (IsCommentRow(row)) {
            out.Line(row.comment, CommentLabel(row.comment));
            continue;
        }
        if (!BelongsInFile(model.options, row)) continue;
        if (row.name == kFileCommentName) {
            WriteFileCommentLine(out, row);
            continue;
        }
        out.SettingLine(MachineReadableLine(row), row.name);
    }
    return out;
}

}  // namespace

bool WriteConfigurationFile(ConfigModel& model, const std::string& path, Reporter& reporter) {
    // The replacement is opened first: a folder that cannot be written is reported before the
    // comment step changes anything.
    FileReplacement file(path);
    if (!file.IsOpen()) {
        reporter.ReportError(kUnableToWrite + path, event::kGeneral);
        return false;
    }
    ConfigFileText text = BuildConfigurationFile(model, reporter);
    if (!file.Write(text.bytes()) || !file.Commit()) {
        reporter.ReportError(kUnableToWrite + path, event::kGeneral);
        return false;
    }
    UpdateFileTimeStamp(model);
    // Lines left out have been reported; the file holds everything else.
    return text.complete();
}

bool HoldsSettings(const ConfigModel& model) {
    return std::any_of(model.settings.begin(), model.settings.end(),
                       [](const SettingRow& row) { return !row.name.empty() && row.name != kFileCommentName; });
}

size_t MaxFileCommentLength() {
    // The "File_Comment" line as it is written with an empty comment and nothing after it; the
    // comment fills the rest of a line the reader takes whole. A note the row carries after the
    // comment moves to a line of its own when it leaves no room (see WriteFileCommentLine).
    SettingRow row;
    row.name = kFileCommentName;
    row.value = -1;
    size_t fixed = MachineReadableLine(row).size();
    size_t longestLine = static_cast<size_t>(kMaxConfigLineLength) - 1;
    return fixed < longestLine ? longestLine - fixed : 0;
}

std::string FormatFileTimeStamp(std::time_t lastWrite) {
    std::tm utc{};
    if (::gmtime_r(&lastWrite, &utc) == nullptr) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%i-%i-%i %2.2i:%2.2i:%2.2i", utc.tm_mon + 1, utc.tm_mday, utc.tm_year + 1900,
                  utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

bool UpdateFileTimeStamp(ConfigModel& model) {
    model.configFileTime.clear();
    if (model.configFilePath.empty()) return false;
    struct stat status {};
    if (::stat(model.configFilePath.c_str(), &status) != 0) return false;
    model.configFileTime = FormatFileTimeStamp(status.st_mtime);
    return !model.configFileTime.empty();
}

}  // namespace varnel
