#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace varnel {

class CVarnelApp;

// "Edit Comment": the configuration's comment, kept as "File_Comment" when the file is saved.
class CEditCommentDlg : public QDialog {
    Q_OBJECT
public:
    explicit CEditCommentDlg(const std::string& comment, QWidget* parent = nullptr);

    // The edit box's text in the comment's bytes.
    std::string Comment() const;
    QLineEdit* CommentEdit() const { return edit_; }

private:
    std::string original_;
    QLineEdit* edit_ = nullptr;
};

// The Edit Comment command: on OK the comment in memory takes the edited text. Returns true on OK.
bool RunEditComment(CVarnelApp& app, QWidget* owner);

}  // namespace varnel
