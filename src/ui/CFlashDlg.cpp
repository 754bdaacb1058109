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
    fields_ = {
        {AddField(form, "Boot Loader Rev.", kIdBootLoaderRev, texts.bootLoaderRev), &FlashDialogTexts::bootLoaderRev},
        {AddField(form, "Firmware Rev.", kIdFirmwareRev, texts.firmwareRev), &FlashDialogTexts::firmwareRev},
        {AddField(form, "Firmware ID", kIdFirmwareId, texts.firmwareId), &FlashDialogTexts::firmwareId},
        {AddField(form, "Flash ID", kIdFlashId, texts.flashId), &FlashDialogTexts::flashId},
        {AddField(form, "File Selected", kIdFileSelected, texts.fileSelected), &FlashDialogTexts::fileSelected},
        {AddField(form, "File Rev.", kIdFileRev, texts.fileRev), &FlashDialogTexts::fileRev},
    };

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
    noCancelNote_ = new QLabel(
        QStringLiteral("The update cannot be cancelled: a printer left half-flashed cannot start."), this);
    noCancelNote_->setObjectName(QStringLiteral("noCancelNote"));
    noCancelNote_->setWordWrap(true);
    noCancelNote_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(progressBar_);
    layout->addWidget(progressText_);
    layout->addWidget(noCancelNote_);
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLineEdit* CFlashDlg::AddField(QFormLayout* form, const char* label, int controlId, const std::string& text) {
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
    return field;
}

void CFlashDlg::SetTexts(const FlashDialogTexts& texts) {
    for (const auto& [field, text] : fields_) {
        const QString shown = ToDisplayText(texts.*text);
        if (field->text() == shown) continue;
        field->setText(shown);
        field->setCursorPosition(0);
    }
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
    mode_ = Mode::Waiting;
    switch (progress.stage) {
    case FlashProgressView::Stage::Asking:
        // The choice comes once the answers are in; until then the buttons are seen, not usable.
        buttons_->show();
        buttons_->setEnabled(false);
        noCancelNote_->hide();
        ShowBar(true, 0);
        break;
    case FlashProgressView::Stage::Streaming:
        buttons_->hide();
        noCancelNote_->show();
        ShowBar(false, progress.percent);
        break;
    case FlashProgressView::Stage::Restarting:
        // No progress to measure: the printer tells nothing until it is back.
        buttons_->hide();
        noCancelNote_->show();
        ShowBar(true, 0);
        break;
    case FlashProgressView::Stage::Finished:
        hide();
        return;
    }
    progressText_->setText(ToDisplayText(progress.text));
    progressText_->show();
    if (!isVisible()) show();
}

void CFlashDlg::ShowBar(bool busy, int percent) {
    progressBar_->setRange(0, busy ? 0 : kFullPercent);
    progressBar_->setValue(percent);
    progressBar_->show();
}

void CFlashDlg::ShowChoice() {
    mode_ = Mode::Choosing;
    progressBar_->hide();
    progressText_->hide();
    noCancelNote_->hide();
    buttons_->setEnabled(true);
    buttons_->show();
    findChild<QPushButton*>(QStringLiteral("ok"))->setFocus();
}

void CFlashDlg::reject() {
    if (mode_ == Mode::Waiting) return;
    QDialog::reject();
}

}  // namespace varnel
