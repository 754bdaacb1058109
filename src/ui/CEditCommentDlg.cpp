#include "ui/CEditCommentDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "ui/UiText.h"

namespace varnel {
namespace {

constexpr int kCommentEditId = 1051;
// Room for a sentence or two; longer comments scroll.
constexpr int kEditCharacters = 60;

// Refuses an edit whose bytes would pass the limit: a character outside ASCII may take more
// than one byte, which the edit box's own length limit does not count.
class ByteLengthValidator : public QValidator {
public:
    ByteLengthValidator(const std::string& original, size_t maxLength, QObject* parent)
        : QValidator(parent), original_(original), maxLength_(maxLength) {}

    State validate(QString& input, int&) const override {
        return FromDisplayText(input, original_).size() <= maxLength_ ? Acceptable : Invalid;
    }

private:
    std::string original_;
    size_t maxLength_;
};

}  // namespace

CEditCommentDlg::CEditCommentDlg(const std::string& comment, size_t maxLength, QWidget* parent)
    : QDialog(parent), original_(comment), maxLength_(maxLength) {
    setWindowTitle(QStringLiteral("Edit Comment"));

    // Widgets are owned by the dialog. A QLineEdit scrolls horizontally on its own.
    edit_ = new QLineEdit(ToDisplayText(comment), this);
    edit_->setObjectName(QStringLiteral("id%1").arg(kCommentEditId));
    edit_->setMaxLength(static_cast<int>(std::min<size_t>(maxLength, INT_MAX)));
    edit_->setValidator(new ByteLengthValidator(original_, maxLength_, edit_));
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
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    UpdateCount();
    edit_->setFocus();
}

std::string CEditCommentDlg::Comment() const { return FromDisplayText(edit_->text(), original_); }

void CEditCommentDlg::UpdateCount() {
    count_->setText(QStringLiteral("%1 of %2 characters").arg(Comment().size()).arg(maxLength_));
}

}  // namespace varnel
