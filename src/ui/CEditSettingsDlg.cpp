#include "ui/CEditSettingsDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CVarnelApp.h"
#include "base/AsciiText.h"
#include "base/Reporter.h"
#include "base/TextNumbers.h"
#include "model/OptionsFile.h"
#include "model/SafeFormat.h"
#include "model/SettingNames.h"
#include "protocol/Identification.h"
#include "ui/Help.h"
#include "ui/UiText.h"

namespace varnel {
namespace {

// Control ids of the dialog template; tests and the help buttons find the widgets by them.
constexpr int kFirstListId = 1001;
constexpr int kFirstLabelId = 1002;
constexpr int kFirstEditId = 1053;
constexpr int kFirstHelpId = 1094;
constexpr int kGroupListId = 1052;

// A list entry holding any of these is a text with a number in it, not a bare number.
constexpr std::string_view kNonNumberCharacters =
    "()*&^%$#@!_+-=[]{}|,.<>/?;:'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kDigits = "1234567890";
// The widest field of a printer's tables is 16 bits.
constexpr int64_t kMaxRangeEntries = 65536;

constexpr std::string_view kNoModelError =
    "Unable to edit configuration. Must load a configuration file, or read configuration from printer first.";
constexpr std::string_view kNoOptionsError = "Unable to locate correct Options file.";
constexpr std::string_view kValueNotFoundError = "Internal error editing configruation. Value not found, or out of range, for ";
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

// Selects the entry showing the setting's current value; reported, and the first entry
// selected, when it has none.
void SelectCurrentValue(const OptionsTable& options, EditRow& row, int32_t value, Reporter& reporter) {
    row.selected = 0;
    int found = FindOption(options, row.name, value);
    if (found < 0) {
        reporter.ReportError(std::string(kValueNotFoundError) + row.name + ", using first in list.", event::kGeneral);
        return;
    }
    const OptionEntry& option = options[static_cast<size_t>(found)];
    std::string shown = option.low == -1 ? option.text : SafeFormat(option.text, value);
    int entry = FirstEntryStartingWith(row.choices, shown);
    if (entry < 0) return;
    row.selected = entry;
    row.valueEntry = entry;
}

// The number a range entry stands for; none for an entry that is only a number or holds none.
std::optional<int32_t> NumberInEntry(std::string_view entry) {
    if (entry.find_first_of(kNonNumberCharacters) == std::string_view::npos) return std::nullopt;
    size_t digit = entry.find_first_of(kDigits);
    if (digit == std::string_view::npos) return std::nullopt;
    return AtoI(entry.substr(digit));
}

// Restores the normal cursor on every path out of a page fill.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

std::string EditRow::Label() const { return Replace(name, '_', ' '); }

std::string EditRow::ValueText() const {
    if (kind == Kind::Text) return text;
    if (kind == Kind::Choice && selected >= 0 && static_cast<size_t>(selected) < choices.size())
        return choices[static_cast<size_t>(selected)];
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
                      std::string_view group, Reporter& reporter) {
    EditPage page;
    size_t nextRow = 0;
    size_t i = 0;
    while (i < options.size() && nextRow < page.size()) {
        const OptionEntry& option = options[i];
        int setting = FindSetting(editSettings, option.name);
        // Cleared rows have no name; with no group listed they would otherwise match comment lines.
        if (option.name.empty() || option.IsAttributeRow() || option.name == kModelName || option.name == kSetupName ||
            option.group != group || setting < 0) {
            ++i;
            continue;
        }
        const SettingRow& current = editSettings[static_cast<size_t>(setting)];
        EditRow& row = page[nextRow++];
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
        SelectCurrentValue(options, row, current.value, reporter);
        i = end;
    }
    return page;
}

void StoreEditPage(const EditPage& page, const OptionsTable& options, SettingsTable& editSettings, Reporter& reporter) {
    for (const EditRow& row : page) {
        std::string valueText = row.ValueText();
        if (row.kind == EditRow::Kind::Unused || row.name.empty() || valueText.empty()) continue;
        int setting = FindSetting(editSettings, row.name);
        if (setting < 0) {
            reporter.ReportError(std::string(kItemNotFoundError) + row.name, event::kGeneral);
            continue;
        }
        SettingRow& target = editSettings[static_cast<size_t>(setting)];
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

CEditSettingsDlg::CEditSettingsDlg(const ConfigModel& model, Reporter& reporter, std::function<void()> beforeFill,
                                   QWidget* parent)
    : QDialog(parent), model_(model), reporter_(reporter), beforeFill_(std::move(beforeFill)),
      openHelp_([](const std::string& start, const std::string& name) { OpenHelpPage(start, name); }),
      editSettings_(model.settings) {
    setWindowTitle(QStringLiteral("Configuration Edit"));

    // Widgets are owned by the dialog through their layouts.
    auto* groups = new QVBoxLayout;
    groups->addWidget(new QLabel(QStringLiteral("Configuration Catagory"), this));
    groupList_ = new QListWidget(this);
    groupList_->setObjectName(QStringLiteral("id%1").arg(kGroupListId));
    groups->addWidget(groupList_);

    auto* grid = new QGridLayout;
    for (int i = 0; i < kEditRows; ++i) {
        RowWidgets& w = rows_[static_cast<size_t>(i)];
        w.label = new QLabel(this);
        w.label->setObjectName(QStringLiteral("id%1").arg(kFirstLabelId + 2 * i));
        w.list = new QComboBox(this);
        w.list->setObjectName(QStringLiteral("id%1").arg(kFirstListId + 2 * i));
        w.edit = new QLineEdit(this);
        w.edit->setObjectName(QStringLiteral("id%1").arg(kFirstEditId + i));
        w.help = new QPushButton(QStringLiteral("?"), this);
        w.help->setObjectName(QStringLiteral("id%1").arg(kFirstHelpId + i));
        w.help->setAutoDefault(false);
        connect(w.help, &QPushButton::clicked, this, [this, i] { ShowHelp(i); });
        // The list and the edit box share one place; only one of them is shown.
        grid->addWidget(w.label, i, 0);
        grid->addWidget(w.list, i, 1);
        grid->addWidget(w.edit, i, 1);
        grid->addWidget(w.help, i, 2);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CEditSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CEditSettingsDlg::reject);

    auto* columns = new QHBoxLayout;
    columns->addLayout(groups);
    columns->addLayout(grid, 1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(columns);
    outer->addWidget(buttons);

    std::vector<std::string> groupNames = ListEditGroups(model_.options);
    for (const std::string& name : groupNames) groupList_->addItem(ToDisplayText(name));
    if (!groupNames.empty()) groupList_->setCurrentRow(InitialGroupIndex(groupNames));
    currentGroup_ = StoredGroupName(SelectedGroup());
    FillPage();
    connect(groupList_, &QListWidget::currentRowChanged, this, &CEditSettingsDlg::OnGroupChanged);
}

CEditSettingsDlg::~CEditSettingsDlg() = default;

std::string CEditSettingsDlg::SelectedGroup() const {
    QListWidgetItem* item = groupList_->currentItem();
    return item ? FromDisplayText(item->text()) : std::string();
}

void CEditSettingsDlg::OnGroupChanged() {
    StorePage();
    FillPage();
}

void CEditSettingsDlg::FillPage() {
    WaitCursor wait;
    if (beforeFill_) beforeFill_();
    page_ = FillEditPage(model_.options, model_.mapEntries, editSettings_, currentGroup_, reporter_);
    ShowPage();
}

void CEditSettingsDlg::ShowPage() {
    for (size_t i = 0; i < page_.size(); ++i) {
        const EditRow& row = page_[i];
        RowWidgets& w = rows_[i];
        w.list->clear();
        w.label->setText(ToDisplayText(row.Label()));
        bool used = row.kind != EditRow::Kind::Unused;
        bool choice = row.kind == EditRow::Kind::Choice;
        w.label->setVisible(used);
        w.help->setVisible(used);
        w.list->setVisible(choice);
        w.edit->setVisible(row.kind == EditRow::Kind::Text);
        if (!used) continue;
        w.label->setEnabled(true);
        if (choice) {
            for (const std::string& entry : row.choices) w.list->addItem(ToDisplayText(entry));
            w.list->setCurrentIndex(row.selected);
            w.list->setEnabled(row.writable);
        } else {
            w.edit->setMaxLength(row.maxLength > 0 ? row.maxLength : 32767);
            w.edit->setText(ToDisplayText(row.text));
            w.edit->setEnabled(row.writable);
        }
    }
}

void CEditSettingsDlg::StorePage() {
    // Read what the widgets show now back into the page, in the model's bytes.
    for (size_t i = 0; i < page_.size(); ++i) {
        EditRow& row = page_[i];
        const RowWidgets& w = rows_[i];
        if (row.kind == EditRow::Kind::Choice) row.selected = w.list->currentIndex();
        if (row.kind == EditRow::Kind::Text) row.text = FromDisplayText(w.edit->text(), row.text);
    }
    StoreEditPage(page_, model_.options, editSettings_, reporter_);
    currentGroup_ = StoredGroupName(SelectedGroup());
}

void CEditSettingsDlg::ShowHelp(int row) {
    const std::string& name = page_[static_cast<size_t>(row)].name;
    if (name.empty()) return;
    if (openHelp_) openHelp_(model_.startDirectory, name);
}

void CEditSettingsDlg::accept() {
    StorePage();
    QDialog::accept();
}

bool RunEditConfiguration(CVarnelApp& app, QWidget* owner) {
    ConfigModel& model = app.model();
    std::string modelName = EditModelName(model);
    if (modelName.empty()) {
        app.ReportError(std::string(kNoModelError), event::kGeneral);
        return false;
    }
    if (!LocateOptionsFile(model, modelName, app)) {
        app.ReportError(std::string(kNoOptionsError), event::kGeneral);
        return false;
    }
    CEditSettingsDlg dialog(model, app, [&app] {
        ProtocolContext context = app.Context();
        MatchMapToModel(context);
    }, owner);
    bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted) {
        CopyBackEditSettings(dialog.EditSettings(), model.settings);
        model.modified = true;
    }
    app.InvalidateView();
    return accepted;
}

}  // namespace varnel
