#include "ui/CEditCommentDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <functional>
#include <optional>

#include "app/EditCommentCommand.h"

#include "ui/UiText.h"

namespace varnel {
namespace {

constexpr int kCommentEditId = 1051;
// Room for a sentence or two; longer comments scroll.
constexpr int kEditCharacters = 60;

// Refuses an edit the file could not hold: bytes past the limit (a character outside ASCII may
// take more than one byte, which the edit box's own length limit does not count) or a double
// quote. The reason goes to `refused`.
class CommentValidator : public QValidator {
public:
    CommentValidator(const std::string& original, size_t maxLength, std::function<void(const std::string&)> refused,
                     QObject* parent)
        : QValidator(parent), original_(original), maxLength_(maxLength), refused_(std::move(refused)) {}

    State validate(QString& input, int&) const override {
        std::optional<std::string> refusal = CommentRefusal(FromDisplayText(input, original_), maxLength_);
        if (!refusal) return Acceptable;
        refused_(*refusal);
        return Invalid;
    }

private:
    std::string original_;
    size_t maxLength_;
    std::function<void(const std::string&)> refused_;
};

}  // namespace

CEditCommentDlg::CEditCommentDlg(const std::string& comment, size_t maxLength, QWidget* parent)
    : QDialog(parent), original_(comment), maxLength_(maxLength) {
    setWindowTitle(QStringLiteral("Edit Comment"));

    // Widgets are owned by the dialog. A QLineEdit scrolls horizontally on its own.
    edit_ = new QLineEdit(ToDisplayText(comment), this);
    edit_->setObjectName(QStringLiteral("id%1").arg(kCommentEditId));
    edit_->setMaxLength(static_cast<int>(std::min<size_t>(maxLength, INT_MAX)));
    reason_ = new QLabel(this);
    reason_->setObjectName(QStringLiteral("reason"));
    reason_->setWordWrap(true);
    edit_->setValidator(new CommentValidator(
        original_, maxLength_, [this](const std::string& why) { reason_->setText(ToDisplayText(why)); }, edit_));
    edit_->setMinimumWidth(edit_->fontMetrics().averageCharWidth() * kEditCharacters);
    auto* label = new QLabel(QStringLiteral("&Comment:"), this);
    label->setBuddy(edit_);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("count"));
    count_->setAlignment(Qt::AlignRight);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(edit_, &QLineEdit::textChanged, this, &CEditCommentDlg::UpdateCount);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addWidget(count_);
    layout->addWidget(reason_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    UpdateCount();
    edit_->setFocus();
}

std::string CEditCommentDlg::Comment() const { return FromDisplayText(edit_->text(), original_); }

void CEditCommentDlg::UpdateCount() {
    // A refusal is about the key just pressed; the next change clears it.
    reason_->clear();
    count_->setText(QStringLiteral("%1 of %2 characters").arg(Comment().size()).arg(maxLength_));
}

}  // namespace varnel
