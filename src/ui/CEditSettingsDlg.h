#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ConfigModel.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace varnel {

class CVarnelApp;
class Reporter;

// Rows of one page of the configuration edit dialog.
inline constexpr int kEditRows = 18;
inline constexpr std::string_view kFirstGroup = "General Settings";

// What one row of a page shows. Texts are the model's bytes; the dialog turns them into screen
// texts and back.
struct EditRow {
    enum class Kind { Unused, Choice, Text };
    Kind kind = Kind::Unused;
    std::string name;                  // the setting name, with "_"
    std::vector<std::string> choices;  // Choice: the list's entries
    int selected = 0;                  // Choice: the entry shown
    int valueEntry = -1;               // Choice: the entry of the value the page was filled with
    std::string text;                  // Text: the edit box's text
    int maxLength = 0;                 // Text: the map's width; 0 leaves the box unlimited
    bool writable = false;

    // The label shows the name with blanks for "_".
    std::string Label() const;
    // What the row holds now: the selected entry or the text.
    std::string ValueText() const;
};
using EditPage = std::array<EditRow, kEditRows>;

// The group list: the options' groups (not of "Model" or "Setup" rows) with blanks for "_",
// each once regardless of case, sorted.
std::vector<std::string> ListEditGroups(const OptionsTable& options);
// The entry first selected: the first that begins with "General Settings" (any case), else 0.
int InitialGroupIndex(const std::vector<std::string>& groups);
// A group as the options file writes it: blanks back to "_".
std::string StoredGroupName(std::string_view shownGroup);

// The settings of `group` (stored form) that the page shows, at most 18, with their choices
// and current values. A current value without an option is reported and the first entry
// selected.
EditPage FillEditPage(const OptionsTable& options, const MapTable& mapEntries, const SettingsTable& editSettings,
                      std::string_view group, Reporter& reporter);
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

// "Configuration Edit": edits a private copy of the settings a group at a time.
class CEditSettingsDlg : public QDialog {
    Q_OBJECT
public:
    // `beforeFill` runs before every page is filled (the map is matched to the model there).
    CEditSettingsDlg(const ConfigModel& model, Reporter& reporter, std::function<void()> beforeFill,
                     QWidget* parent = nullptr);
    ~CEditSettingsDlg() override;

    // The edited copy; after OK it holds every page's edits.
    const SettingsTable& EditSettings() const { return editSettings_; }
    const std::string& CurrentGroup() const { return currentGroup_; }

    // Widgets by their template ids, for the window's tests.
    QListWidget* GroupList() const { return groupList_; }
    QLabel* RowLabel(int row) const { return rows_[static_cast<size_t>(row)].label; }
    QComboBox* RowList(int row) const { return rows_[static_cast<size_t>(row)].list; }
    QLineEdit* RowEdit(int row) const { return rows_[static_cast<size_t>(row)].edit; }
    QPushButton* RowHelp(int row) const { return rows_[static_cast<size_t>(row)].help; }

    // What a "?" button calls with the start directory and the setting name; the desktop's
    // browser unless replaced.
    using HelpOpener = std::function<void(const std::string&, const std::string&)>;
    void SetHelpOpener(HelpOpener opener) { openHelp_ = std::move(opener); }

    void accept() override;

private:
    struct RowWidgets {
        QLabel* label = nullptr;
        QComboBox* list = nullptr;
        QLineEdit* edit = nullptr;
        QPushButton* help = nullptr;
    };

    void OnGroupChanged();
    void FillPage();
    void ShowPage();
    void StorePage();
    void ShowHelp(int row);
    std::string SelectedGroup() const;

    const ConfigModel& model_;
    Reporter& reporter_;
    std::function<void()> beforeFill_;
    HelpOpener openHelp_;
    SettingsTable editSettings_;
    std::string currentGroup_;
    EditPage page_;
    QListWidget* groupList_ = nullptr;
    std::array<RowWidgets, kEditRows> rows_{};
};

// The Edit Configuration command: checks that a model and its options file are known, runs the
// dialog, and on OK copies the edits back and marks the configuration modified. Returns true
// on OK.
bool RunEditConfiguration(CVarnelApp& app, QWidget* owner);

}  // namespace varnel
