#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/ConfigModel.h"

namespace varnel {

class Reporter;

// The group the edit dialog opens on when the options file has it.
inline constexpr std::string_view kFirstGroup = "General Settings";

// One setting as a page of the edit dialog shows it. Texts are the model's bytes.
struct EditRow {
    enum class Kind { Choice, Text };
    Kind kind = Kind::Choice;
    std::string name;                  // the setting name, with "_"
    std::vector<std::string> choices;  // Choice: the list's entries
    int selected = 0;                  // Choice: the entry shown
    int valueEntry = -1;               // Choice: the entry of the value the page was filled with
    bool valueUnlisted = false;        // Choice: that value is no option's; its entry is its own
    std::string text;                  // Text: the edit box's text
    int maxLength = 0;                 // Text: the map's width; 0 leaves the box unlimited
    bool writable = false;

    // The label shows the name with blanks for "_".
    std::string Label() const;
    // What the row holds now: the selected entry or the text.
    std::string ValueText() const;
};
// Every setting of one group, in the options file's order.
using EditPage = std::vector<EditRow>;

// The group list: the options' groups (not of "Model" or "Setup" rows) with blanks for "_",
// each once regardless of case, sorted.
std::vector<std::string> ListEditGroups(const OptionsTable& options);
// The entry first selected: the first that begins with "General Settings" (any case), else 0.
int InitialGroupIndex(const std::vector<std::string>& groups);
// A group as the options file writes it: blanks back to "_".
std::string StoredGroupName(std::string_view shownGroup);

// The entry that shows a current value no option lists.
std::string UnlistedValueEntry(int32_t value);

// The settings of `group` (stored form) with their choices and current values. A current value
// without an option gets an entry of its own (UnlistedValueEntry), selected; the settings with
// one are reported together, once per page, and with `reported` only once per dialog.
EditPage FillEditPage(const OptionsTable& options, const MapTable& mapEntries, const SettingsTable& editSettings,
                      std::string_view group, Reporter& reporter, std::set<std::string>* reported = nullptr);
// Takes the page's values into `editSettings`: texts as they stand, choices by their option's
// value or, for an entry of a range, by the number it holds. Rows that cannot be stored are
// reported and left as they were; an entry left on the value it was filled with needs no
// storing and is not reported.
void StoreEditPage(const EditPage& page, const OptionsTable& options, SettingsTable& editSettings,
                   Reporter& reporter);

// The model the edit dialog works for: the map's "Model" text, else the "Model" setting's text.
std::string EditModelName(const ConfigModel& model);
// OK: the edited rows go back, their custom comments stay.
void CopyBackEditSettings(const SettingsTable& editSettings, SettingsTable& settings);

// The pages of the configuration edit dialog: a private copy of the settings, edited one group
// at a time. The dialog shows Page(), hands the user's input back through Choose and SetText
// and switches groups through SelectGroup; nothing reaches the model's settings until the
// command copies EditSettings() back.
class EditPages {
public:
    // `beforeFill` runs before every page is filled (the command matches the map to the model
    // there).
    EditPages(const ConfigModel& model, Reporter& reporter, std::function<void()> beforeFill);

    // Lists the groups, selects the first page and fills it.
    void Open();

    // The group list as shown (blanks for "_"); the entry selected, -1 when there is none.
    const std::vector<std::string>& Groups() const { return groups_; }
    int SelectedGroup() const { return selected_; }
    // The group of the page shown, in its stored form.
    const std::string& CurrentGroup() const { return currentGroup_; }
    const EditPage& Page() const { return page_; }

    // The user's input on the page shown; a row or entry that is not there is ignored.
    void Choose(size_t row, int entry);
    void SetText(size_t row, std::string text);

    // A selection change in the group list: stores the page shown, then fills the page of `group`.
    void SelectGroup(int group);
    // Takes the page shown into the copy (OK does this before the copy goes back).
    void StorePage();

    // Every group's rows with their choices, values aside and nothing reported: the dialog sizes
    // itself by them so that it keeps one size whichever group is shown.
    std::vector<EditPage> AllPages() const;

    // The copy with every page's edits stored so far.
    const SettingsTable& EditSettings() const { return editSettings_; }
    // The help page a row's "?" opens; the row's setting name is its anchor.
    std::string HelpPagePath() const;

private:
    void FillPage();

    const ConfigModel& model_;
    Reporter& reporter_;
    std::function<void()> beforeFill_;
    SettingsTable editSettings_;
    std::vector<std::string> groups_;
    int selected_ = -1;
    std::string currentGroup_;
    EditPage page_;
    // Settings whose unlisted value was reported already.
    std::set<std::string> reported_;
};

}  // namespace varnel
