#include "app/ViewSnapshot.h"

#include <algorithm>
#include <set>

#include "model/ConfigModel.h"
#include "model/OptionsFile.h"
#include "model/SafeFormat.h"
#include "model/SettingNames.h"

namespace varnel {

namespace {

// The fourth options row: empty while fewer than four are loaded.
constexpr int kOptionsPresentRow = 3;
constexpr int kHeaderX = 20;
constexpr int kGroupTitleX = 10;
constexpr int kSettingNameX = 20;
constexpr int kSettingValueX = 190;

std::string BlanksForUnderscores(std::string text) {
    std::replace(text.begin(), text.end(), '_', ' ');
    return text;
}

// Configuration file paths may come from either kind of separator.
std::string FileNamePart(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::vector<std::string> CollectGroups(const OptionsTable& options) {
    std::vector<std::string> groups;
    for (const OptionEntry& entry : options) {
        if (groups.size() >= static_cast<size_t>(kViewMaxGroups)) break;
        if (entry.name == kModelName || entry.name == kSetupName || entry.name == kFileCommentName) continue;
        if (entry.group.empty()) continue;
        if (std::find(groups.begin(), groups.end(), entry.group) == groups.end()) groups.push_back(entry.group);
    }
    return groups;
}

std::string ValueText(const OptionsTable& options, const SettingRow& row) {
    const int option = FindOption(options, row.name, row.value);
    if (option < 0) return "*** Invalid Setting *** (" + std::to_string(row.value) + ")";
    const OptionEntry& entry = options[option];
    if (entry.low != -1) return SafeFormat(entry.text, row.value);
    if (!row.text.empty() || entry.MarksTextSetting()) return row.text;
    return entry.text;
}

// Lays the texts out from the top of the first column down, moving on to the second column.
class ListingLayout {
public:
    explicit ListingLayout(ViewSnapshot& snapshot) : snapshot_(snapshot) {}

    void Header(const ConfigModel& model) {
        const std::string lines[] = {
            model.model + " ",
            FileNamePart(model.configFilePath) + "   " + model.configFileTime,
            model.comment,
            model.firmwareRevision,
        };
        for (const std::string& line : lines) {
            Text(x_ + kHeaderX, ColumnEnd(), ViewFont::Header, line);
            y_ += kViewLineHeight;
        }
        lowestY_ = std::max(lowestY_, y_);
    }

    void Group(const ConfigModel& model, const std::string& group) {
        if (!secondColumn_ && y_ > kViewSecondColumnFromY) {
            x_ = kViewSecondColumnX;
            y_ = 0;
            secondColumn_ = true;
        }
        y_ += kViewLineHeight * 3 / 4;
        Text(x_ + kGroupTitleX, ColumnEnd(), ViewFont::Header, BlanksForUnderscores(group) + ":");
        y_ += kViewLineHeight + kViewLineHeight / 2;

        std::set<std::string> listed;
        for (const OptionEntry& entry : model.options) {
            if (entry.name == kModelName || entry.name == kSetupName || entry.group != group) continue;
            if (!listed.insert(entry.name).second) continue;
            const int row = FindSetting(model.settings, entry.name);
            if (row < 0) continue;
            const int valueX = x_ + kSettingValueX;
            Text(x_ + kSettingNameX, valueX - kViewColumnGap, ViewFont::Setting, BlanksForUnderscores(entry.name));
            Text(valueX, ColumnEnd(), ViewFont::Setting, "= " + ValueText(model.options, model.settings[row]));
            y_ += kViewLineHeight;
            lowestY_ = std::max(lowestY_, y_);
        }
    }

    void Finish() {
        const int height = lowestY_ + kViewScrollMargin;
        snapshot_.lines.push_back({kViewSeparatorX, 0, kViewSeparatorX, height});
        snapshot_.scrollArea = ViewScrollArea{kViewScrollWidth, height};
        snapshot_.listing = true;
    }

private:
    // The first column ends at the separator line, the second at the listing's width.
    int ColumnEnd() const { return (secondColumn_ ? kViewScrollWidth : kViewSeparatorX) - kViewColumnGap; }

    void Text(int x, int end, ViewFont font, std::string text) {
        snapshot_.texts.push_back({x, y_, std::max(end - x, 0), font, std::move(text)});
    }

    ViewSnapshot& snapshot_;
    int x_ = 0;
    int y_ = 0;
    int lowestY_ = kViewMinScrollHeight;
    bool secondColumn_ = false;
};

ViewSnapshot Notice(std::string_view text) {
    ViewSnapshot snapshot;
    snapshot.texts.push_back(
        {kViewNoticeX, kViewNoticeY, kViewScrollWidth - kViewNoticeX, ViewFont::Setting, std::string(text)});
    return snapshot;
}

}  // namespace

const ViewText* ViewSnapshot::Find(std::string_view text) const {
    auto found = std::find_if(texts.begin(), texts.end(), [&](const ViewText& t) { return t.text == text; });
    return found == texts.end() ? nullptr : &*found;
}

bool OptionsMissing(const ConfigModel& model) { return model.options[kOptionsPresentRow].name.empty(); }

std::string ListingOptionsModel(const ConfigModel& model) {
    if (!model.optionsModel.empty()) return model.optionsModel;
    const int mapRow = FindMapRow(model.mapEntries, kModelName);
    if (mapRow >= 0 && !model.mapEntries[mapRow].text.empty()) return model.mapEntries[mapRow].text;
    const int settingRow = FindSetting(model.settings, kModelName);
    if (settingRow >= 0) return model.settings[settingRow].text;
    return {};
}

OptionsLookup LookUpListingOptions(ConfigModel& model, Reporter& reporter) {
    if (!OptionsMissing(model)) return OptionsLookup::Found;
    model.optionsModel = ListingOptionsModel(model);
    if (model.optionsModel.empty()) return OptionsLookup::NoModel;
    // The locator may replace optionsModel; keep our own copy of the name.
    const std::string optionsModel = model.optionsModel;
    return LocateOptionsFile(model, optionsModel, reporter) ? OptionsLookup::Found : OptionsLookup::NotFound;
}

ViewSnapshot LayOutListing(const ConfigModel& model, OptionsLookup lookup) {
    switch (lookup) {
    case OptionsLookup::NoModel: return Notice(kNoFileLoadedNotice);
    case OptionsLookup::NotFound: return Notice(kNoOptionsFileNotice);
    case OptionsLookup::Found: break;
    }
    ViewSnapshot snapshot;
    ListingLayout layout(snapshot);
    layout.Header(model);
    for (const std::string& group : CollectGroups(model.options)) layout.Group(model, group);
    layout.Finish();
    return snapshot;
}

}  // namespace varnel
