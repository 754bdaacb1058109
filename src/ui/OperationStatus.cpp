#include "ui/OperationStatus.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <limits>

namespace varnel {
namespace {

constexpr int kBarWidth = 160;
// QProgressBar counts in int; larger amounts are shown in proportion.
constexpr qint64 kMaxBarUnits = std::numeric_limits<int>::max();

}  // namespace

OperationStatus::OperationStatus(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    label_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setFixedWidth(kBarWidth);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        // One Cancel is enough; the operation says what it left once it has stopped.
        cancel_->setEnabled(false);
        cancelling_ = true;
        step_ = QStringLiteral("cancelling...");
        UpdateLabel();
        emit CancelClicked();
    });
    hide();
}

void OperationStatus::Begin(const QString& name, CancelButton cancel) {
    name_ = name;
    step_.clear();
    closeRemembered_ = false;
    cancelling_ = false;
    // Busy until the operation says how much there is to do.
    bar_->setRange(0, 0);
    bar_->setValue(0);
    cancel_->setVisible(cancel == CancelButton::Offered);
    cancel_->setEnabled(true);
    UpdateLabel();
    show();
}

void OperationStatus::ShowProgress(const QString& step, qint64 done, qint64 total) {
    if (!step.isEmpty() && !cancelling_) step_ = step;
    if (total <= 0) {
        bar_->setRange(0, 0);
    } else {
        const qint64 scale = total > kMaxBarUnits ? total / kMaxBarUnits + 1 : 1;
        bar_->setRange(0, static_cast<int>(total / scale));
        bar_->setValue(static_cast<int>(std::min(done, total) / scale));
        // Settings and rates are counted one by one: "17 of 61" says more than a percentage.
        bar_->setFormat(scale == 1 ? QStringLiteral("%v of %m") : QStringLiteral("%p%"));
    }
    UpdateLabel();
}

void OperationStatus::NoteCloseRemembered() {
    closeRemembered_ = true;
    UpdateLabel();
}

void OperationStatus::End() {
    hide();
    name_.clear();
    step_.clear();
    closeRemembered_ = false;
}

QString OperationStatus::text() const { return label_->text(); }

void OperationStatus::UpdateLabel() {
    QString text = name_;
    if (!step_.isEmpty()) text += QStringLiteral(": ") + step_;
    if (closeRemembered_) text += QStringLiteral(" (the window closes when it is done)");
    label_->setText(text);
}

}  // namespace varnel
