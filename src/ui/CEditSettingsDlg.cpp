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
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QValidator>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <optional>

#include "base/UserInterface.h"
#include "ui/UiText.h"

namespace varnel {
namespace {

// A text box is as wide as its field allows; a wider or unlimited field gets this many characters.
constexpr int kWidestTextBox = 40;
// One character of a field is counted as wide as this one.
constexpr char kFieldCharacter = '0';
// QLineEdit's own size hint makes room for this many "x" characters; the rest is its frame.
constexpr int kLineEditHintCharacters = 17;
// A text box without a map width takes as much as QLineEdit allows.
constexpr int kUnlimitedLength = 32767;

// Restores the normal cursor on every path out of a page change.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A list on the scrolling page takes the wheel only while it has the focus: the wheel scrolls
// the page instead of changing whatever setting passes under the pointer.
class PageComboBox : public QComboBox {
public:
    explicit PageComboBox(QWidget* parent) : QComboBox(parent) { setFocusPolicy(Qt::StrongFocus); }

protected:
    void wheelEvent(QWheelEvent* event) override {
        if (!hasFocus()) {
            event->ignore();
            return;
        }
        QComboBox::wheelEvent(event);
    }
};

// A text goes to the printer in its code page, Windows-1252: a character it has no place for is
// refused as it is typed, and `refused` says which. An unchanged text is always taken.
class PrinterTextValidator : public QValidator {
public:
    PrinterTextValidator(std::function<void(const QString&)> refused, QObject* parent)
        : QValidator(parent), refused_(std::move(refused)) {}

    void SetOriginal(const std::string& original) { original_ = original; }

    State validate(QString& input, int&) const override {
        if (ToPrinterText(input, original_)) return Acceptable;
        refused_(FirstCharacterNotInPrinterCodePage(input));
        return Invalid;
    }

private:
    std::function<void(const QString&)> refused_;
    std::string original_;
};

}  // namespace

CEditSettingsDlg::CEditSettingsDlg(EditPages& pages, UserInterface& ui, QWidget* parent)
    : QDialog(parent), pages_(pages), ui_(ui) {
    setWindowTitle(QStringLiteral("Configuration Edit"));
    const std::vector<EditPage> allPages = pages_.AllPages();
    size_t largestPage = 0;
    for (const EditPage& page : allPages) largestPage = std::max(largestPage, page.size());

    // Widgets are owned by the dialog through their layouts.
    auto* caption = new QLabel(QStringLiteral("Configuration Catagory"), this);
    groupList_ = new QListWidget(this);
    groupList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    caption->setBuddy(groupList_);
    for (const std::string& group : pages_.Groups()) groupList_->addItem(ToDisplayText(group));

    auto* grid = BuildRows(largestPage);
    const ColumnWidths widths = MeasureColumns(allPages);
    SizeRows(grid, widths, largestPage);
    FitGroupList(*caption);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CEditSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CEditSettingsDlg::reject);

    auto* groups = new QVBoxLayout;
    groups->addWidget(caption);
    groups->addWidget(groupList_, 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(groups);
    // The group list and the page are set apart a little more than the rows' parts.
    columns->addSpacing(std::max(grid->horizontalSpacing(), 0));
    columns->addWidget(rowArea_);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(columns);
    // One line kept for the reason a key was refused, so that the dialog keeps its size.
    reason_ = new QLabel(this);
    reason_->setObjectName(QStringLiteral("reason"));
    reason_->setTextFormat(Qt::PlainText);
    reason_->setMinimumHeight(reason_->fontMetrics().height());
    outer->addWidget(reason_);
    outer->addWidget(buttons);
    // Every part has its size now; the dialog is as large as they need and stays so.
    outer->setSizeConstraint(QLayout::SetFixedSize);

    // Tab goes down the group list, each row's list or text box and "?", then the buttons.
    QWidget* previous = groupList_;
    for (RowWidgets& w : rows_) {
        for (QWidget* next : {static_cast<QWidget*>(w.list), static_cast<QWidget*>(w.edit), static_cast<QWidget*>(w.help)}) {
            setTabOrder(previous, next);
            previous = next;
        }
    }
    setTabOrder(previous, ok);
    setTabOrder(ok, cancel);

    if (pages_.SelectedGroup() >= 0) groupList_->setCurrentRow(pages_.SelectedGroup());
    ShowPage();
    connect(groupList_, &QListWidget::currentRowChanged, this, &CEditSettingsDlg::OnGroupChanged);
}

QGridLayout* CEditSettingsDlg::BuildRows(size_t count) {
    auto* rowsWidget = new QWidget;
    auto* grid = new QGridLayout(rowsWidget);
    // The first row lines up with the group list's caption; the page ends at a whole row; the
    // "?" buttons keep clear of the scroll bar.
    grid->setContentsMargins(0, 0, std::max(grid->horizontalSpacing(), 0), 0);
    rows_.resize(count);
    for (size_t i = 0; i < rows_.size(); ++i) {
        RowWidgets& w = rows_[i];
        w.label = new QLabel(rowsWidget);
        w.label->setTextFormat(Qt::PlainText);
        w.list = new PageComboBox(rowsWidget);
        w.edit = new QLineEdit(rowsWidget);
        w.validator = new PrinterTextValidator(
            [this](const QString& character) {
                reason_->setText(QStringLiteral("\"%1\" cannot be sent: the printer's code page (Windows-1252) has no "
                                                "such character.")
                                     .arg(character));
            },
            w.edit);
        w.edit->setValidator(w.validator);
        // A refusal is about the key just pressed; the next change clears it.
        connect(w.edit, &QLineEdit::textEdited, this, [this] { reason_->clear(); });
        w.help = new QToolButton(rowsWidget);
        w.help->setText(QStringLiteral("?"));
        w.help->setFocusPolicy(Qt::StrongFocus);
        connect(w.help, &QToolButton::clicked, this, [this, i] { ShowHelp(static_cast<int>(i)); });
        // The list and the text box share one place; only one of them is shown.
        const int gridRow = static_cast<int>(i);
        grid->addWidget(w.label, gridRow, 0);
        grid->addWidget(w.list, gridRow, 1, Qt::AlignLeft);
        grid->addWidget(w.edit, gridRow, 1, Qt::AlignLeft);
        grid->addWidget(w.help, gridRow, 2);
    }
    // A short page keeps its rows at the top instead of spreading them over the height.
    grid->setRowStretch(static_cast<int>(rows_.size()), 1);

    rowArea_ = new QScrollArea(this);
    rowArea_->setFrameShape(QFrame::NoFrame);
    rowArea_->setFocusPolicy(Qt::NoFocus);
    rowArea_->setWidgetResizable(true);
    rowArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rowArea_->setWidget(rowsWidget);
    return grid;
}

CEditSettingsDlg::ColumnWidths CEditSettingsDlg::MeasureColumns(const std::vector<EditPage>& allPages) {
    const QFontMetrics metrics = fontMetrics();
    QLineEdit editProbe;
    editProbe.setFont(font());
    textBoxFrame_ = editProbe.sizeHint().width() - kLineEditHintCharacters * metrics.horizontalAdvance(QLatin1Char('x'));
    ColumnWidths widths;
    QString widestChoice;
    int widestChoiceWidth = 0;
    int widestTextBox = 0;
    for (const EditPage& page : allPages) {
        for (const EditRow& row : page) {
            widths.label = std::max(widths.label, metrics.horizontalAdvance(ToDisplayText(row.Label())));
            switch (row.kind) {
            case EditRow::Kind::Choice:
                for (const std::string& choice : row.choices) {
                    const QString shown = ToDisplayText(choice);
                    const int width = metrics.horizontalAdvance(shown);
                    if (width > widestChoiceWidth) {
                        widestChoiceWidth = width;
                        widestChoice = shown;
                    }
                }
                break;
            case EditRow::Kind::Text: widestTextBox = std::max(widestTextBox, TextBoxWidth(row.maxLength)); break;
            }
        }
    }
    QComboBox listProbe;
    listProbe.setFont(font());
    listProbe.setSizeAdjustPolicy(QComboBox::AdjustToContents);
    listProbe.addItem(widestChoice);
    widths.value = std::max(listProbe.sizeHint().width(), widestTextBox);
    widths.rowHeight = std::max(listProbe.sizeHint().height(), editProbe.sizeHint().height());
    return widths;
}

void CEditSettingsDlg::SizeRows(QGridLayout* grid, const ColumnWidths& widths, size_t largestPage) {
    valueColumnWidth_ = widths.value;
    for (RowWidgets& w : rows_) {
        // Every row is as tall as a list, whichever widget it shows.
        w.list->setFixedSize(widths.value, widths.rowHeight);
        w.edit->setFixedHeight(widths.rowHeight);
        // A compact square button.
        w.help->setFixedSize(widths.rowHeight, widths.rowHeight);
    }
    grid->setColumnMinimumWidth(0, widths.label);
    grid->setColumnMinimumWidth(1, widths.value);

    // The area shows the largest page, up to kVisibleRows rows, and scrolls for the rest.
    const bool scrolls = largestPage > static_cast<size_t>(kVisibleRows);
    rowArea_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    const int across = std::max(grid->horizontalSpacing(), 0);
    const int spacing = std::max(grid->verticalSpacing(), 0);
    const QMargins margins = grid->contentsMargins();
    const int shownRows = std::clamp(static_cast<int>(largestPage), 1, kVisibleRows);
    int width = margins.left() + widths.label + across + widths.value + across + widths.rowHeight + margins.right();
    if (scrolls) {
        width += rowArea_->verticalScrollBar()->sizeHint().width();
        if (style()->styleHint(QStyle::SH_ScrollView_FrameOnlyAroundContents, nullptr, rowArea_))
            width += style()->pixelMetric(QStyle::PM_ScrollView_ScrollBarSpacing, nullptr, rowArea_);
    }
    const int height = margins.top() + shownRows * widths.rowHeight + (shownRows - 1) * spacing + margins.bottom();
    rowArea_->setFixedSize(width, height);
}

void CEditSettingsDlg::FitGroupList(const QLabel& caption) {
    // As wide as its longest entry and its caption, with room for a scroll bar when the groups
    // outgrow the height beside the page.
    const int frame = 2 * groupList_->frameWidth();
    const int padding = 2 * std::max(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing), 0);
    int width = std::max(groupList_->sizeHintForColumn(0) + frame + padding, caption.sizeHint().width());
    const int height = rowArea_->height() - caption.sizeHint().height();
    if (groupList_->count() * groupList_->sizeHintForRow(0) + frame > height)
        width += groupList_->verticalScrollBar()->sizeHint().width();
    groupList_->setFixedWidth(width);
}

CEditSettingsDlg::~CEditSettingsDlg() = default;

int CEditSettingsDlg::TextBoxWidth(int maxLength) const {
    const int characters = maxLength <= 0 ? kWidestTextBox : std::min(maxLength, kWidestTextBox);
    const int width = textBoxFrame_ + fontMetrics().horizontalAdvance(QString(characters, QLatin1Char(kFieldCharacter)));
    return valueColumnWidth_ > 0 ? std::min(width, valueColumnWidth_) : width;
}

void CEditSettingsDlg::ShowPage() {
    const EditPage& page = pages_.Page();
    for (size_t i = 0; i < rows_.size(); ++i) {
        RowWidgets& w = rows_[i];
        if (i >= page.size()) {
            w.label->hide();
            w.list->hide();
            w.edit->hide();
            w.help->hide();
            continue;
        }
        const EditRow& row = page[i];
        w.label->setText(ToDisplayText(row.Label()));
        w.label->show();
        w.help->show();
        switch (row.kind) {
        case EditRow::Kind::Choice: {
            w.edit->hide();
            QStringList entries;
            for (const std::string& choice : row.choices) entries << ToDisplayText(choice);
            w.list->clear();
            w.list->addItems(entries);
            w.list->setCurrentIndex(row.selected);
            w.list->setEnabled(row.writable);
            w.list->show();
            break;
        }
        case EditRow::Kind::Text: {
            w.list->hide();
            w.list->clear();
            const QString text = ToDisplayText(row.text);
            static_cast<PrinterTextValidator*>(w.validator)->SetOriginal(row.text);
            // The limit holds for typing; a longer text already in the configuration stays whole.
            const int limit = row.maxLength > 0 ? std::max(row.maxLength, static_cast<int>(text.size())) : kUnlimitedLength;
            w.edit->setMaxLength(limit);
            w.edit->setText(text);
            w.edit->setCursorPosition(0);
            w.edit->setFixedWidth(TextBoxWidth(row.maxLength));
            w.edit->setEnabled(row.writable);
            w.edit->show();
            break;
        }
        }
    }
    rowArea_->verticalScrollBar()->setValue(0);
}

void CEditSettingsDlg::TakeInput() {
    const EditPage& page = pages_.Page();
    for (size_t i = 0; i < std::min(page.size(), rows_.size()); ++i) {
        const RowWidgets& w = rows_[i];
        switch (page[i].kind) {
        case EditRow::Kind::Choice: pages_.Choose(i, w.list->currentIndex()); break;
        case EditRow::Kind::Text:
            // The validator let only texts through that the printer's code page holds.
            if (std::optional<std::string> text = ToPrinterText(w.edit->text(), page[i].text))
                pages_.SetText(i, std::move(*text));
            break;
        }
    }
}

void CEditSettingsDlg::OnGroupChanged(int group) {
    TakeInput();
    {
        WaitCursor wait;
        pages_.SelectGroup(group);
    }
    ShowPage();
}

void CEditSettingsDlg::ShowHelp(int row) {
    const EditPage& page = pages_.Page();
    if (row < 0 || static_cast<size_t>(row) >= page.size() || page[static_cast<size_t>(row)].name.empty()) return;
    ui_.OpenHelpPage(pages_.HelpPagePath(), page[static_cast<size_t>(row)].name);
}

void CEditSettingsDlg::accept() {
    TakeInput();
    QDialog::accept();
}

}  // namespace varnel
