#include "ui/CEditCommentDlg.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CVarnelApp.h"
#include "ui/UiText.h"

namespace varnel {
namespace {

constexpr int kCommentEditId = 1051;

}  // namespace

CEditCommentDlg::CEditCommentDlg(const std::string& comment, QWidget* parent) : QDialog(parent), original_(comment) {
    setWindowTitle(QStringLiteral("Edit Comment"));
    // Widgets are owned by the dialog. A QLineEdit scrolls horizontally on its own.
    edit_ = new QLineEdit(ToDisplayText(comment), this);
    edit_->setObjectName(QStringLiteral("id%1").arg(kCommentEditId));
    edit_->setMinimumWidth(300);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    edit_->setFocus();
}

std::string CEditCommentDlg::Comment() const { return FromDisplayText(edit_->text(), original_); }

bool RunEditComment(CVarnelApp& app, QWidget* owner) {
    CEditCommentDlg dialog(app.model().comment, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    app.model().comment = dialog.Comment();
    return true;
}

}  // namespace varnel
