#include "ui/DrawConfiguration.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "model/ConfigModel.h"
#include "model/OptionsFile.h"
#include "model/SafeFormat.h"
#include "model/SettingNames.h"
#include "ui/ViewPainter.h"

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

// Finds the options file by the model of the map file, else of the configuration. Returns
// false after drawing the notice that says why nothing else is drawn.
bool EnsureOptions(ConfigModel& model, Reporter& reporter, ViewPainter& painter) {
    if (!OptionsMissing(model)) return true;
    if (model.optionsModel.empty()) {
        const int mapRow = FindMapRow(model.mapEntries, kModelName);
        if (mapRow >= 0) model.optionsModel = model.mapEntries[mapRow].text;
    }
    if (model.optionsModel.empty()) {
        const int settingRow = FindSetting(model.settings, kModelName);
        if (settingRow >= 0) model.optionsModel = model.settings[settingRow].text;
    }
    if (model.optionsModel.empty()) {
        painter.DrawText(kViewNoticeX, kViewNoticeY, std::string(kNoFileLoadedNotice));
        return false;
    }
    // The locator may replace optionsModel; keep our own copy of the name.
    const std::string optionsModel = model.optionsModel;
    if (!LocateOptionsFile(model, optionsModel, reporter)) {
        painter.DrawText(kViewNoticeX, kViewNoticeY, std::string(kNoOptionsFileNotice));
        return false;
    }
    return true;
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

struct Cursor {
    int x = 0;
    int y = 0;
    int lowestY = kViewMinScrollHeight;
    bool secondColumn = false;

    void Advance(int by) {
        y += by;
        lowestY = std::max(lowestY, y);
    }
};

void DrawHeader(const ConfigModel& model, ViewPainter& painter, Cursor& cursor) {
    const std::string lines[] = {
        model.model + " ",
        FileNamePart(model.configFilePath) + "   " + model.configFileTime,
        model.comment,
        model.firmwareRevision,
    };
    for (const std::string& line : lines) {
        painter.DrawText(cursor.x + kHeaderX, cursor.y, line);
        cursor.y += kViewLineHeight;
    }
    cursor.lowestY = std::max(cursor.lowestY, cursor.y);
}

void DrawGroup(const ConfigModel& model, const std::string& group, ViewPainter& painter, Cursor& cursor) {
    if (!cursor.secondColumn && cursor.y > kViewSecondColumnFromY) {
        cursor.x = kViewSecondColumnX;
        cursor.y = 0;
        cursor.secondColumn = true;
    }
    cursor.y += kViewLineHeight * 3 / 4;
    painter.SelectFont(ViewFont::Header);
    painter.DrawText(cursor.x + kGroupTitleX, cursor.y, BlanksForUnderscores(group) + ":");
    cursor.y += kViewLineHeight + kViewLineHeight / 2;
    painter.SelectFont(ViewFont::Setting);

    std::set<std::string> listed;
    for (const OptionEntry& entry : model.options) {
        if (entry.name == kModelName || entry.name == kSetupName || entry.group != group) continue;
        if (!listed.insert(entry.name).second) continue;
        const int row = FindSetting(model.settings, entry.name);
        if (row < 0) continue;
        painter.DrawText(cursor.x + kSettingNameX, cursor.y, BlanksForUnderscores(entry.name));
        painter.DrawText(cursor.x + kSettingValueX, cursor.y, "= " + ValueText(model.options, model.settings[row]));
        cursor.Advance(kViewLineHeight);
    }
}

}  // namespace

bool OptionsMissing(const ConfigModel& model) { return model.options[kOptionsPresentRow].name.empty(); }

int DrawConfiguration(ConfigModel& model, Reporter& reporter, ViewPainter& painter) {
    if (!EnsureOptions(model, reporter, painter)) return 0;

    Cursor cursor;
    painter.SelectFont(ViewFont::Header);
    DrawHeader(model, painter, cursor);
    for (const std::string& group : CollectGroups(model.options)) DrawGroup(model, group, painter, cursor);

    cursor.lowestY += kViewScrollMargin;
    painter.DrawLine(kViewSeparatorX, 0, kViewSeparatorX, cursor.lowestY);
    painter.SetScrollArea(kViewScrollWidth, cursor.lowestY);
    return 1;
}

}  // namespace varnel
