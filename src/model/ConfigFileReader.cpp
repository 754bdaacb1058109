#include "model/ConfigFileReader.h"

#include <fstream>
#include <istream>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Reporter.h"
#include "base/TextNumbers.h"
#include "model/ConfigFileWriter.h"
#include "model/ConfigModel.h"
#include "model/ModelObserver.h"
#include "model/SettingNames.h"

namespace varnel {
namespace {

constexpr int kNoRow = -1;

// White space dropped from the start of a line before it is classified.
constexpr std::string_view kLeadingSpace = " \t\r\v\f";
// What ends the name of a setting line.
constexpr std::string_view kTokenSeparators = " \t";
// A line holding this anywhere is a banner or human-readable line and carries no setting.
constexpr std::string_view kIgnoredMarker = "//";

constexpr char kCustomCommentMark = '&';
constexpr char kCommentMark = ';';
constexpr char kQuote = '"';
// Lines shorter than this are kept as comment rows.
constexpr size_t kMinSettingLineLength = 2;

const std::string kUnableToRead = "Unable to Read Configuration from Disk: ";
const std::string kErrorReading = "Error reading configuration File: ";
const std::string kOverlaying = "Overlaying current config with File: ";
const std::string kFileTooLong = "Configuration file too long, the rest of it was not read: ";
const std::string kHoldsNoSettings = " holds no settings: not a configuration file?";

// Splits a configuration file into lines: LF or CR LF ends a line, and a line ends after
// kMaxConfigLineLength characters, its remainder being read as the next line.
class ConfigLineReader {
public:
    explicit ConfigLineReader(std::istream& in) : in_(in) {}

    // True once a read has met the end of the stream or an error. A read at the very end
    // still yields one empty line, as the format has always been read.
    bool Finished() const { return finished_; }
    // A zero byte never occurs in text: the file is binary, whatever its lines look like.
    bool MetZeroByte() const { return metZeroByte_; }

    std::string ReadLine() {
        std::string line;
        while (line.size() < static_cast<size_t>(kMaxConfigLineLength)) {
            int c = in_.get();
            if (c == std::char_traits<char>::eof()) {
                finished_ = true;
                break;
            }
            if (c == '\n') break;
            if (c == '\r' && in_.peek() == '\n') {
                in_.get();
                break;
            }
            if (c == '\0') metZeroByte_ = true;
            line.push_back(static_cast<char>(c));
        }
        return line;
    }

private:
    std::istream& in_;
    bool finished_ = false;
    bool metZeroByte_ = false;
};

enum class LineKind { kCustomComment, kComment, kBlank, kIgnored, kSetting };

std::string_view TrimLeading(std::string_view text) {
    size_t start = text.find_first_not_of(kLeadingSpace);
    return start == std::string_view::npos ? std::string_view{} : text.substr(start);
}

std::string_view FirstToken(std::string_view trimmed) {
    return trimmed.substr(0, trimmed.find_first_of(kTokenSeparators));
}

// First match wins: a custom comment or comment may hold "//", a setting line may not.
LineKind Classify(std::string_view raw, std::string_view trimmed) {
    if (!trimmed.empty() && trimmed.front() == kCustomCommentMark) return LineKind::kCustomComment;
    if (!trimmed.empty() && trimmed.front() == kCommentMark) return LineKind::kComment;
    if (trimmed.size() < kMinSettingLineLength) return LineKind::kBlank;
    if (raw.find(kIgnoredMarker) != std::string_view::npos) return LineKind::kIgnored;
    return LineKind::kSetting;
}

// Name, then the number after it; two double quotes make it a text setting. The "&" and ";"
// tails are taken only when present, so an overlaid row keeps its old ones otherwise.
void StoreSetting(SettingRow& row, std::string_view raw, std::string_view trimmed) {
    std::string_view name = FirstToken(trimmed);
    row.name = name;
    row.value = AtoI(trimmed.substr(name.size()));

    size_t open = raw.find(kQuote);
    size_t close = open == std::string_view::npos ? open : raw.find(kQuote, open + 1);
    if (close != std::string_view::npos) {
        row.text = raw.substr(open + 1, close - open - 1);
        row.value = -1;
    } else {
        row.text.clear();
    }

    if (size_t mark = raw.find(kCustomCommentMark); mark != std::string_view::npos)
        row.customComment = raw.substr(mark);
    if (size_t mark = raw.find(kCommentMark); mark != std::string_view::npos)
        row.comment = raw.substr(mark);
}

void StoreLine(SettingRow& row, LineKind kind, std::string_view raw, std::string_view trimmed) {
    switch (kind) {
        case LineKind::kCustomComment:
            row.customComment = raw;
            return;
        case LineKind::kComment:
        case LineKind::kBlank:
            row.comment = raw;
            return;
        case LineKind::kSetting:
            StoreSetting(row, raw, trimmed);
            return;
        case LineKind::kIgnored:
            return;
    }
}

int FirstEmptyRow(const SettingsTable& settings) {
    for (int i = 0; i < kMaxSettings; ++i)
        if (settings[i].IsEmpty()) return i;
    return kNoRow;
}

// An overlay merges by name: a setting goes to the master's row of that name, anything new
// (and every comment line) to the first empty row, so master rows the file does not name keep
// their comments.
int OverlayRow(const SettingsTable& settings, LineKind kind, std::string_view trimmed) {
    if (kind == LineKind::kSetting) {
        int named = FindSetting(settings, FirstToken(trimmed));
        if (named != kNoRow) return named;
    }
    return FirstEmptyRow(settings);
}

// Whether lines that would have filled rows follow; ignored lines and empty lines carry
// nothing that a read would keep.
bool RestHasContent(ConfigLineReader& reader) {
    while (!reader.Finished()) {
        std::string raw = reader.ReadLine();
        if (raw.empty()) continue;
        if (Classify(raw, TrimLeading(raw)) != LineKind::kIgnored) return true;
    }
    return false;
}

struct LinesRead {
    bool whole = true;        // false when the rows or the line limit ran out before the content
    bool sawSetting = false;  // a setting line was among the lines read
};

// Fills the settings table from the file's lines. Ignored lines take no row, so a file this
// program wrote reads back whole as long as its settings and comments fit.
LinesRead ReadLines(SettingsTable& settings, ConfigLineReader& reader, bool overlay) {
    LinesRead read;
    int currentRow = 0;
    for (int count = 0; count < kMaxConfigLines; ++count) {
        if (reader.Finished()) return read;
        if (!overlay && currentRow >= kMaxSettings) {
            read.whole = !RestHasContent(reader);
            return read;
        }

        std::string raw = reader.ReadLine();
        std::string_view trimmed = TrimLeading(raw);
        LineKind kind = Classify(raw, trimmed);
        if (kind == LineKind::kIgnored) continue;
        read.sawSetting = read.sawSetting || kind == LineKind::kSetting;

        // In an overlay an empty line would leave an empty row as it found it.
        if (overlay && raw.empty()) continue;
        int row = overlay ? OverlayRow(settings, kind, trimmed) : currentRow++;
        if (row == kNoRow) {
            read.whole = false;
            return read;
        }
        StoreLine(settings[row], kind, raw, trimmed);
    }
    read.whole = reader.Finished() || !RestHasContent(reader);
    return read;
}

std::string OverlayRefusedText(const std::string& path, const std::string& masterModel,
                               const std::string& fileModel) {
    return "**** ERROR ****\r\n\r\n\r\nCannot Overlay current config with File: " + path + "\r\n\r\n" +
           "Master Printer ID: \"" + masterModel + "\"  vs  " + "Printer ID from file: \"" + fileModel +
           "\"";
}

// Decides the mode and prepares the model before the file is looked at. Returns whether the
// read is an overlay.
bool BeginRead(ConfigModel& model, const std::string& path, Reporter& reporter) {
    bool overlay = model.comment == kMasterComment;
    if (overlay) {
        reporter.ReportMessage(kOverlaying + path, event::kGeneral);
        if (int row = FindSetting(model.settings, kFileCommentName); row != kNoRow)
            model.settings[row].text.clear();
    } else {
        ClearSettings(model.settings);
    }
    model.comment.clear();
    model.firmwareRevision.clear();
    return overlay;
}

// Takes the comment, the model and the flash button from the rows read; refuses an overlay of
// a file made for another printer model.
void FinishRead(ConfigModel& model, bool overlay, const std::string& path, Reporter& reporter,
                ModelObserver& observer) {
    if (int row = FindSetting(model.settings, kFileCommentName); row != kNoRow)
        model.comment = model.settings[row].text;

    int modelRow = FindSetting(model.settings, kModelName);
    if (modelRow == kNoRow) {
        model.model.clear();
    } else if (overlay && model.model != model.settings[modelRow].text) {
        reporter.ReportError(OverlayRefusedText(path, model.model, model.settings[modelRow].text),
                             event::kGeneral);
        ClearSettings(model.settings);
        model.model.clear();
    } else {
        model.model = model.settings[modelRow].text;
    }

    if (FindSetting(model.settings, kFirmwareIdName) != kNoRow) observer.SetFlashButtonVisible(true);
}

enum class ReadOutcome { kUnreadable, kNotConfiguration, kReadInPart, kRead };

// Holds back what the window is told while a read goes on in a copy of the model, so that it is
// told only when the copy is taken over.
class HeldObserver : public ModelObserver {
public:
    void UpdateTitle() override { events_.push_back({Event::kTitle, false}); }
    void SetFlashButtonVisible(bool visible) override { events_.push_back({Event::kFlash, visible}); }
    void InvalidateView() override { events_.push_back({Event::kInvalidate, false}); }

    void PassOn(ModelObserver& observer) const {
        for (const auto& [event, visible] : events_) {
            switch (event) {
            case Event::kTitle: observer.UpdateTitle(); break;
            case Event::kFlash: observer.SetFlashButtonVisible(visible); break;
            case Event::kInvalidate: observer.InvalidateView(); break;
            }
        }
    }

private:
    enum class Event { kTitle, kFlash, kInvalidate };
    std::vector<std::pair<Event, bool>> events_;
};

ReadOutcome ParseStream(ConfigModel& model, std::istream& in, const std::string& path, Reporter& reporter,
                        ModelObserver& observer) {
    bool overlay = BeginRead(model, path, reporter);
    ConfigLineReader reader(in);
    const LinesRead read = ReadLines(model.settings, reader, overlay);
    if (!read.whole) reporter.ReportError(kFileTooLong + path, event::kGeneral);
    // The reader rejects no line, so a binary or cut-off file would open without a word: name
    // it when no line was a setting, or when it holds a zero byte, which no text file does.
    if ((read.whole && !read.sawSetting) || reader.MetZeroByte()) {
        reporter.ReportError(path + kHoldsNoSettings, event::kGeneral);
        return ReadOutcome::kNotConfiguration;
    }
    FinishRead(model, overlay, path, reporter, observer);
    return read.whole ? ReadOutcome::kRead : ReadOutcome::kReadInPart;
}

ReadOutcome ParseFile(ConfigModel& model, const std::string& path, Reporter& reporter,
                      ModelObserver& observer) {
    UpdateFileTimeStamp(model);
    model.modified = false;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        BeginRead(model, path, reporter);
        reporter.ReportError(kUnableToRead + path, event::kGeneral);
        return ReadOutcome::kUnreadable;
    }
    return ParseStream(model, in, path, reporter, observer);
}

}  // namespace

bool ReadConfigurationFile(ConfigModel& model, const std::string& path, Reporter& reporter,
                           ModelObserver& observer) {
    // The file is read into a copy: a file that cannot be read, or is no configuration, leaves
    // the configuration and its file name as they were, so Save never writes over such a file.
    ConfigModel read = model;
    HeldObserver held;
    UnloadDescriptions(read, held);
    read.configFilePath = path;
    ReadOutcome outcome = ParseFile(read, path, reporter, held);
    if (outcome == ReadOutcome::kUnreadable || outcome == ReadOutcome::kNotConfiguration) {
        reporter.ReportError(kErrorReading + path, event::kGeneral);
        return false;
    }
    model = std::move(read);
    held.PassOn(observer);
    // A file read in part still fills the model, so the window follows it.
    observer.UpdateTitle();
    observer.InvalidateView();
    if (outcome != ReadOutcome::kRead) {
        reporter.ReportError(kErrorReading + path, event::kGeneral);
        return false;
    }
    return true;
}

}  // namespace varnel
