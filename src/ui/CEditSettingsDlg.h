#pragma once

#include <QDialog>
#include <vector>

#include "app/EditPages.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QValidator;
class QLineEdit;
class QListWidget;
class QScrollArea;
class QToolButton;

namespace varnel {

class UserInterface;

// "Configuration Edit": shows the edit pages a group at a time and hands the user's input back
// to them. OK or Cancel is the dialog's result; the command acts on it.
class CEditSettingsDlg : public QDialog {
    Q_OBJECT
public:
    // Settings a page shows without scrolling; a group with more scrolls within the same size.
    static constexpr int kVisibleRows = 18;

    // `pages` are opened already; `ui` opens the help pages of the "?" buttons.
    CEditSettingsDlg(EditPages& pages, UserInterface& ui, QWidget* parent = nullptr);
    ~CEditSettingsDlg() override;

    // Widgets, for the dialog's tests. The dialog holds the rows of its largest page; rows below
    // the page shown are hidden.
    QListWidget* GroupList() const { return groupList_; }
    QScrollArea* RowArea() const { return rowArea_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    QLabel* RowLabel(int row) const { return rows_[static_cast<size_t>(row)].label; }
    QComboBox* RowList(int row) const { return rows_[static_cast<size_t>(row)].list; }
    QLineEdit* RowEdit(int row) const { return rows_[static_cast<size_t>(row)].edit; }
    QToolButton* RowHelp(int row) const { return rows_[static_cast<size_t>(row)].help; }

    void accept() override;

private:
    struct RowWidgets {
        QLabel* label = nullptr;
        QComboBox* list = nullptr;
        QLineEdit* edit = nullptr;
        QToolButton* help = nullptr;
        // Keeps the text box to what the printer's code page holds.
        QValidator* validator = nullptr;
    };

    // What the rows' columns need over every page, so that the dialog keeps one size.
    struct ColumnWidths {
        int label = 0;
        int value = 0;
        int rowHeight = 0;
    };

    // The rows of the largest page in their scroll area; returns their grid.
    QGridLayout* BuildRows(size_t count);
    ColumnWidths MeasureColumns(const std::vector<EditPage>& allPages);
    void SizeRows(QGridLayout* grid, const ColumnWidths& widths, size_t largestPage);
    void FitGroupList(const QLabel& caption);
    void ShowPage();
    void TakeInput();
    void OnGroupChanged(int group);
    void ShowHelp(int row);
    int TextBoxWidth(int maxLength) const;

    EditPages& pages_;
    UserInterface& ui_;
    QListWidget* groupList_ = nullptr;
    QScrollArea* rowArea_ = nullptr;
    // Why the last key in a text box was refused, when it was.
    QLabel* reason_ = nullptr;
    std::vector<RowWidgets> rows_;
    // What a text box adds to the width of its text, and the value column's width.
    int textBoxFrame_ = 0;
    int valueColumnWidth_ = 0;
};

}  // namespace varnel
