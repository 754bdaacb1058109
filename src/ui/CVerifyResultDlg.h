#pragma once

#include <QDialog>
#include <vector>

#include "base/VerificationTable.h"

class QPushButton;
class QTableWidget;

namespace varnel {

class UserInterface;

// The settings one verification found different: name, printer's value, configuration's value.
// "Copy" puts the table on the clipboard as tab-separated text, "Save as CSV..." writes it to a
// file chosen through `ui`.
class CVerifyResultDlg : public QDialog {
    Q_OBJECT
public:
    CVerifyResultDlg(std::vector<VerificationRow> rows, UserInterface& ui, QWidget* parent = nullptr);

    QTableWidget* Table() const { return table_; }
    QPushButton* CopyButton() const { return copyButton_; }
    QPushButton* SaveButton() const { return saveButton_; }
    QPushButton* CloseButton() const { return closeButton_; }

private:
    void Copy();

    std::vector<VerificationRow> rows_;
    UserInterface& ui_;
    QTableWidget* table_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace varnel
