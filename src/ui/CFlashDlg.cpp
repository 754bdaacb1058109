#include "ui/CFlashDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
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

}  // namespace

CFlashDlg::CFlashDlg(const FlashDialogTexts& texts, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Dialog"));
    setObjectName(QStringLiteral("CFlashDlg"));

    auto* form = new QFormLayout;
    AddField(form, "Boot Loader Rev.", kIdBootLoaderRev, texts.bootLoaderRev);
    AddField(form, "Firmware Rev.", kIdFirmwareRev, texts.firmwareRev);
    AddField(form, "Firmware ID", kIdFirmwareId, texts.firmwareId);
    AddField(form, "Flash ID", kIdFlashId, texts.flashId);
    AddField(form, "File Selected", kIdFileSelected, texts.fileSelected);
    AddField(form, "File Rev.", kIdFileRev, texts.fileRev);

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    QPushButton* exitBoot = buttons->addButton(QStringLiteral("EXIT BOOT"), QDialogButtonBox::ActionRole);
    QPushButton* selectFile = buttons->addButton(QStringLiteral("SELECT FILE"), QDialogButtonBox::ActionRole);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    exitBoot->setObjectName(QStringLiteral("exitBoot"));
    selectFile->setObjectName(QStringLiteral("selectFile"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { done(kIdOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kIdCancel); });
    connect(exitBoot, &QPushButton::clicked, this, [this] { done(kIdExitBoot); });
    connect(selectFile, &QPushButton::clicked, this, [this] { done(kIdSelectFile); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CFlashDlg::AddField(QFormLayout* form, const char* label, int controlId, const std::string& text) {
    auto* field = new QLineEdit(ToDisplayText(text));
    field->setReadOnly(true);
    field->setObjectName(QStringLiteral("field%1").arg(controlId));
    field->setMinimumWidth(260);
    form->addRow(QString::fromLatin1(label), field);
    fields_.emplace_back(controlId, field);
}

QLineEdit* CFlashDlg::Field(int controlId) const {
    for (const auto& [id, field] : fields_)
        if (id == controlId) return field;
    return nullptr;
}

FlashChoice CFlashDlg::ChoiceFromResult(int result) {
    switch (result) {
    case kIdOk: return FlashChoice::Flash;
    case kIdExitBoot: return FlashChoice::ExitBoot;
    case kIdSelectFile: return FlashChoice::SelectFile;
    default: return FlashChoice::Cancel;  // Cancel, Escape and the window's close button
    }
}

FlashChoice QtFlashDialogPort::ShowFlashDialog(const FlashDialogTexts& texts) {
    CFlashDlg dialog(texts, owner_);
    return CFlashDlg::ChoiceFromResult(dialog.exec());
}

}  // namespace varnel
