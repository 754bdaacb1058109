#pragma once

#include <QDialog>
#include <cstddef>
#include <string>

class QLabel;
class QLineEdit;

namespace varnel {

// "Edit Comment": the configuration's comment, kept as "File_Comment" when the file is saved.
// The edit box takes at most `maxLength` bytes, what the file's line can hold, and no double
// quote; a counter below it shows how much of that is used, and a refused key says why.
class CEditCommentDlg : public QDialog {
    Q_OBJECT
public:
    CEditCommentDlg(const std::string& comment, size_t maxLength, QWidget* parent = nullptr);

    // The edit box's text in the comment's bytes.
    std::string Comment() const;

private:
    void UpdateCount();

    std::string original_;
    size_t maxLength_;
    QLineEdit* edit_ = nullptr;
    QLabel* count_ = nullptr;
    // Why the last key was refused, when it was.
    QLabel* reason_ = nullptr;
};

}  // namespace varnel
