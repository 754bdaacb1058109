#include "ui/CFlashDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/UiText.h"

namespace varnel {

namespace {

// Control ids of the six read-only fields.
constexpr int kIdBootLoaderRev = 1056;
constexpr int kIdFirmwareRev = 1057;
constexpr int kIdFirmwareId = 1061;
constexpr int kIdFlashId = 1065;
constexpr int kIdFileSelected = 1062;
constexpr int kIdFileRev = 1063;

// Wide enough for a boot file's path.
constexpr int kFieldCharacters = 44;
constexpr int kFullPercent = 100;

}  // namespace

CFlashDlg::CFlashDlg(const FlashDialogTexts& texts, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Firmware Update"));
    setObjectName(QStringLiteral("CFlashDlg"));

    auto* form = new QFormLayout;
    AddField(form, "Boot Loader Rev.", kIdBootLoaderRev, texts.bootLoaderRev);
    AddField(form, "Firmware Rev.", kIdFirmwareRev, texts.firmwareRev);
    AddField(form, "Firmware ID", kIdFirmwareId, texts.firmwareId);
    AddField(form, "Flash ID", kIdFlashId, texts.flashId);
    AddField(form, "File Selected", kIdFileSelected, texts.fileSelected);
    AddField(form, "File Rev.", kIdFileRev, texts.fileRev);

    // Widgets are owned by the dialog.
    buttons_ = new QDialogButtonBox(this);
    QPushButton* ok = buttons_->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons_->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    QPushButton* exitBoot = buttons_->addButton(QStringLiteral("EXIT BOOT"), QDialogButtonBox::ActionRole);
    QPushButton* selectFile = buttons_->addButton(QStringLiteral("SELECT FILE"), QDialogButtonBox::ActionRole);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    exitBoot->setObjectName(QStringLiteral("exitBoot"));
    selectFile->setObjectName(QStringLiteral("selectFile"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { done(kIdOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kIdCancel); });
    connect(exitBoot, &QPushButton::clicked, this, [this] { done(kIdExitBoot); });
    connect(selectFile, &QPushButton::clicked, this, [this] { done(kIdSelectFile); });

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("progress"));
    progressBar_->setRange(0, kFullPercent);
    progressBar_->hide();
    progressText_ = new QLabel(this);
    progressText_->setObjectName(QStringLiteral("progressText"));
    progressText_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(progressBar_);
    layout->addWidget(progressText_);
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CFlashDlg::AddField(QFormLayout* form, const char* label, int controlId, const std::string& text) {
    auto* field = new QLineEdit(ToDisplayText(text), this);
    field->setObjectName(QStringLiteral("field%1").arg(controlId));
    field->setReadOnly(true);
    // A read-only field takes the window's colour, so it does not invite typing; its text can
    // still be selected and copied.
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
    field->setFocusPolicy(Qt::ClickFocus);
    field->setMinimumWidth(field->fontMetrics().averageCharWidth() * kFieldCharacters);
    field->setCursorPosition(0);
    form->addRow(QString::fromLatin1(label), field);
}

FlashChoice CFlashDlg::ChoiceFromResult(int result) {
    switch (result) {
    case kIdOk: return FlashChoice::Flash;
    case kIdExitBoot: return FlashChoice::ExitBoot;
    case kIdSelectFile: return FlashChoice::SelectFile;
    default: return FlashChoice::Cancel;  // Cancel, Escape and the window's close button
    }
}

void CFlashDlg::ShowProgress(const FlashProgressView& progress) {
    if (!showingProgress_) {
        showingProgress_ = true;
        buttons_->hide();
        progressBar_->show();
        progressText_->show();
    }
    switch (progress.stage) {
    case FlashProgressView::Stage::Streaming:
        progressBar_->setRange(0, kFullPercent);
        progressBar_->setValue(progress.percent);
        break;
    case FlashProgressView::Stage::Restarting:
        // No progress to measure: the printer tells nothing until it is back.
        progressBar_->setRange(0, 0);
        break;
    case FlashProgressView::Stage::Finished:
        hide();
        return;
    }
    progressText_->setText(ToDisplayText(progress.text));
    if (!isVisible()) show();
}

void CFlashDlg::reject() {
    if (showingProgress_) return;
    QDialog::reject();
}

}  // namespace varnel
