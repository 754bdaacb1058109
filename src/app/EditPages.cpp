#include "app/EditPages.h"

#include <algorithm>
#include <optional>
#include <set>

#include "app/HelpPage.h"
#include "base/AsciiText.h"
#include "base/Reporter.h"
#include "base/TextNumbers.h"
#include "model/SafeFormat.h"
#include "model/SettingNames.h"

namespace varnel {
namespace {

// A list entry holding any of these is a text with a number in it, not a bare number.
constexpr std::string_view kNonNumberCharacters =
    "()*&^%$#@!_+-=[]{}|,.<>/?;:'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kDigits = "1234567890";
// The widest field of a printer's tables is 16 bits.
constexpr int64_t kMaxRangeEntries = 65536;

constexpr std::string_view kValueNotFoundError = "Internal error editing configruation. Value not found, or out of range, for ";
constexpr std::string_view kValueNotFoundEnd =
    ". The printer's value is shown as it is and kept unless another is chosen.";
constexpr std::string_view kItemNotFoundError = "Internal error, Configuration item not found: ";
constexpr std::string_view kOptionNotFoundError = "Internal error, Configuration option not found: ";

std::string Replace(std::string_view text, char from, char to) {
    std::string out(text);
    std::replace(out.begin(), out.end(), from, to);
    return out;
}

int FirstEntryStartingWith(const std::vector<std::string>& entries, std::string_view prefix) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (StartsWithIgnoreCase(entries[i], prefix)) return static_cast<int>(i);
    return -1;
}

// The list of a choice setting: its choice rows, a range giving one entry per number. A range
// wider than any printer field (a damaged file) lists its first kMaxRangeEntries numbers and the
// current value, so the dialog neither hangs nor loses the value.
std::vector<std::string> ChoicesFrom(const OptionsTable& options, size_t first, size_t end, int32_t currentValue) {
    std::vector<std::string> choices;
    for (size_t i = first; i < end; ++i) {
        const OptionEntry& option = options[i];
        if (option.IsAttributeRow()) continue;
        if (option.low == -1) {
            choices.push_back(option.text);
            continue;
        }
        const int64_t last = std::min<int64_t>(option.high, int64_t{option.low} + kMaxRangeEntries - 1);
        for (int64_t number = option.low; number <= last; ++number)
            choices.push_back(SafeFormat(option.text, static_cast<int32_t>(number)));
        if (currentValue > last && currentValue <= option.high) choices.push_back(SafeFormat(option.text, currentValue));
    }
    return choices;
}

// The rows of `group` with their choices, texts and limits; choice rows still select their first
// entry.
EditPage BuildEditRows(const OptionsTable& options, const MapTable& mapEntries, const SettingsTable& editSettings,
                       std::string_view group) {
    EditPage page;
    size_t i = 0;
    while (i < options.size()) {
        const OptionEntry& option = options[i];
        int setting = FindSetting(editSettings, option.name);
        // Cleared rows have no name; with no group listed they would otherwise match comment lines.
        if (option.name.empty() || option.IsAttributeRow() || option.name == kModelName || option.name == kSetupName ||
            option.group != group || setting < 0) {
            ++i;
            continue;
        }
        const SettingRow& current = editSettings[static_cast<size_t>(setting)];
        EditRow& row = page.emplace_back();
        row.name = option.name;
        row.writable = IsWritable(options, option.name);

        if (option.MarksTextSetting()) {
            row.kind = EditRow::Kind::Text;
            row.text = current.text;
            if (i + 1 < options.size()) {
                int map = FindMapRow(mapEntries, options[i + 1].name);
                if (map >= 0) row.maxLength = std::max(mapEntries[static_cast<size_t>(map)].width, 0);
            }
            ++i;
            continue;
        }
        // A choice setting takes every following row of the same name; the walk goes on after them.
        size_t end = i;
        while (end < options.size() && options[end].name == option.name) ++end;
        row.kind = EditRow::Kind::Choice;
        row.choices = ChoicesFrom(options, i, end, current.value);
        i = end;
    }
    return page;
}

// Selects the entry showing the setting's current value. A value no option lists gets an entry
// of its own, selected, so that nothing the user did not choose is stored; false then.
bool SelectCurrentValue(const OptionsTable& options, EditRow& row, int32_t value) {
    row.selected = 0;
    int found = FindOption(options, row.name, value);
    if (found < 0) {
        row.choices.push_back(UnlistedValueEntry(value));
        row.selected = static_cast<int>(row.choices.size()) - 1;
        row.valueEntry = row.selected;
        row.valueUnlisted = true;
        return false;
    }
    const OptionEntry& option = options[static_cast<size_t>(found)];
    std::string shown = OptionShownText(option, value);
    int entry = FirstEntryStartingWith(row.choices, shown);
    if (entry < 0) return true;
    row.selected = entry;
    row.valueEntry = entry;
    return true;
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}

// The number a range entry stands for; none for an entry that is only a number or holds none.
std::optional<int32_t> NumberInEntry(std::string_view entry) {
    if (entry.find_first_of(kNonNumberCharacters) == std::string_view::npos) return std::nullopt;
    size_t digit = entry.find_first_of(kDigits);
    if (digit == std::string_view::npos) return std::nullopt;
    return AtoI(entry.substr(digit));
}

}  // namespace

std::string UnlistedValueEntry(int32_t value) {
    return "(printer value " + std::to_string(value) + ": not in the options)";
}

std::string EditRow::Label() const { return Replace(name, '_', ' '); }

std::string EditRow::ValueText() const {
    switch (kind) {
    case Kind::Text: return text;
    case Kind::Choice:
        if (selected >= 0 && static_cast<size_t>(selected) < choices.size()) return choices[static_cast<size_t>(selected)];
        return {};
    }
    return {};
}

std::vector<std::string> ListEditGroups(const OptionsTable& options) {
    std::vector<std::string> groups;
    for (const OptionEntry& option : options) {
        if (option.name == kModelName || option.name == kSetupName || option.group.empty()) continue;
        std::string shown = Replace(option.group, '_', ' ');
        bool held = std::any_of(groups.begin(), groups.end(), [&](const std::string& g) { return EqualsIgnoreCase(g, shown); });
        if (!held) groups.push_back(shown);
    }
    std::stable_sort(groups.begin(), groups.end(), LessIgnoreCase);
    return groups;
}

int InitialGroupIndex(const std::vector<std::string>& groups) {
    return std::max(FirstEntryStartingWith(groups, kFirstGroup), 0);
}

std::string StoredGroupName(std::string_view shownGroup) { return Replace(shownGroup, ' ', '_'); }

EditPage FillEditPage(const OptionsTable& options, const MapTable& mapEntries, const SettingsTable& editSettings,
                      std::string_view group, Reporter& reporter, std::set<std::string>* reported) {
    EditPage page = BuildEditRows(options, mapEntries, editSettings, group);
    std::vector<std::string> unlisted;
    for (EditRow& row : page) {
        if (row.kind != EditRow::Kind::Choice) continue;
        const SettingRow& current = editSettings[static_cast<size_t>(FindSetting(editSettings, row.name))];
        if (SelectCurrentValue(options, row, current.value)) continue;
        if (reported && !reported->insert(row.name).second) continue;
        unlisted.push_back(row.name);
    }
    // One report for the page, not one box per setting.
    if (!unlisted.empty())
        reporter.ReportError(std::string(kValueNotFoundError) + JoinNames(unlisted) + std::string(kValueNotFoundEnd),
                             event::kGeneral);
    return page;
}

void StoreEditPage(const EditPage& page, const OptionsTable& options, SettingsTable& editSettings, Reporter& reporter) {
    for (const EditRow& row : page) {
        std::string valueText = row.ValueText();
        if (row.name.empty() || valueText.empty()) continue;
        int setting = FindSetting(editSettings, row.name);
        if (setting < 0) {
            reporter.ReportError(std::string(kItemNotFoundError) + row.name, event::kGeneral);
            continue;
        }
        SettingRow& target = editSettings[static_cast<size_t>(setting)];
        // The printer's own value, still selected, stays as it is.
        if (row.valueUnlisted && row.selected == row.valueEntry) continue;
        if (row.kind == EditRow::Kind::Text) {
            target.text = valueText;
            continue;
        }
        int option = FindOptionByText(options, row.name, valueText);
        if (option >= 0) {
            target.value = options[static_cast<size_t>(option)].value;
            continue;
        }
        std::optional<int32_t> number = NumberInEntry(valueText);
        // A bare-number entry still showing the stored value has nothing to store: storing a page
        // must not report an error for a setting the user did not touch.
        if (!number && row.selected == row.valueEntry) continue;
        if (!number) {
            reporter.ReportError(std::string(kOptionNotFoundError) + row.name + " " + valueText, event::kGeneral);
            continue;
        }
        target.value = *number;
    }
}

std::string EditModelName(const ConfigModel& model) {
    int map = FindMapRow(model.mapEntries, kModelName);
    if (map >= 0 && !model.mapEntries[static_cast<size_t>(map)].text.empty())
        return model.mapEntries[static_cast<size_t>(map)].text;
    int setting = FindSetting(model.settings, kModelName);
    return setting >= 0 ? model.settings[static_cast<size_t>(setting)].text : std::string();
}

void CopyBackEditSettings(const SettingsTable& editSettings, SettingsTable& settings) {
    for (size_t i = 0; i < settings.size(); ++i) {
        settings[i].name = editSettings[i].name;
        settings[i].value = editSettings[i].value;
        settings[i].text = editSettings[i].text;
        settings[i].comment = editSettings[i].comment;
    }
}

EditPages::EditPages(const ConfigModel& model, Reporter& reporter, std::function<void()> beforeFill)
    : model_(model), reporter_(reporter), beforeFill_(std::move(beforeFill)), editSettings_(model.settings) {}

void EditPages::Open() {
    groups_ = ListEditGroups(model_.options);
    selected_ = groups_.empty() ? -1 : InitialGroupIndex(groups_);
    currentGroup_ = selected_ < 0 ? std::string() : StoredGroupName(groups_[static_cast<size_t>(selected_)]);
    FillPage();
}

void EditPages::Choose(size_t row, int entry) {
    if (row >= page_.size() || page_[row].kind != EditRow::Kind::Choice) return;
    if (entry < 0 || static_cast<size_t>(entry) >= page_[row].choices.size()) return;
    page_[row].selected = entry;
}

void EditPages::SetText(size_t row, std::string text) {
    if (row >= page_.size() || page_[row].kind != EditRow::Kind::Text) return;
    page_[row].text = std::move(text);
}

void EditPages::SelectGroup(int group) {
    if (group < 0 || static_cast<size_t>(group) >= groups_.size()) return;
    selected_ = group;
    StorePage();
    FillPage();
}

void EditPages::StorePage() {
    StoreEditPage(page_, model_.options, editSettings_, reporter_);
    // The page filled next is the group selected now.
    if (selected_ >= 0) currentGroup_ = StoredGroupName(groups_[static_cast<size_t>(selected_)]);
}

std::vector<EditPage> EditPages::AllPages() const {
    std::vector<EditPage> pages;
    for (const std::string& group : groups_)
        pages.push_back(BuildEditRows(model_.options, model_.mapEntries, editSettings_, StoredGroupName(group)));
    return pages;
}

std::string EditPages::HelpPagePath() const { return varnel::HelpPagePath(model_.startDirectory); }

void EditPages::FillPage() {
    if (beforeFill_) beforeFill_();
    page_ = FillEditPage(model_.options, model_.mapEntries, editSettings_, currentGroup_, reporter_, &reported_);
}

}  // namespace varnel
