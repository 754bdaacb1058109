#include "ui/CSelectPortDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/UiText.h"

namespace varnel {
namespace {

// Control ids of the dialog template, kept as object names.
constexpr int kPortBoxId = 1000;
constexpr int kDetectButtonId = 1054;
constexpr int kSetupButtonId = 1055;
// Wide enough for a native path or a network address with its port.
constexpr int kPortBoxCharacters = 28;

QString ControlName(int id) { return QStringLiteral("id%1").arg(id); }

}  // namespace

CSelectPortDlg::CSelectPortDlg(PortDialogModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(QStringLiteral("Select Communication Port"));

    // Widgets are owned by the dialog.
    portBox_ = new QComboBox(this);
    portBox_->setObjectName(ControlName(kPortBoxId));
    portBox_->setEditable(true);
    // A typed name is taken as it is; it does not join the list.
    portBox_->setInsertPolicy(QComboBox::NoInsert);
    portBox_->setMinimumContentsLength(kPortBoxCharacters);
    // No inline completion: a typed name such as LPT1 must not turn into a listed LPT1: unasked.
    portBox_->setCompleter(nullptr);
    portBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (const std::string& port : model_.Ports()) portBox_->addItem(ToDisplayText(port));
    portBox_->setCurrentIndex(model_.SelectedIndex());
    auto* label = new QLabel(QStringLiteral("&Port:"), this);
    label->setBuddy(portBox_);

    detectButton_ = new QPushButton(QStringLiteral("Detect baud rate."), this);
    detectButton_->setObjectName(ControlName(kDetectButtonId));
    setupButton_ = new QPushButton(QStringLiteral("Setup serial port."), this);
    setupButton_->setObjectName(ControlName(kSetupButtonId));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* okButton = buttons->button(QDialogButtonBox::Ok);
    okButton->setObjectName(QStringLiteral("ok"));
    okButton->setDefault(true);
    cancelButton_ = buttons->button(QDialogButtonBox::Cancel);
    cancelButton_->setObjectName(QStringLiteral("cancel"));
    // Enter means OK, never a serial command.
    for (QPushButton* button : {detectButton_, setupButton_, cancelButton_}) button->setAutoDefault(false);

    auto* portRow = new QHBoxLayout;
    portRow->addWidget(label);
    portRow->addWidget(portBox_, 1);
    auto* serialRow = new QHBoxLayout;
    serialRow->addWidget(detectButton_);
    serialRow->addWidget(setupButton_);
    serialRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(portRow);
    layout->addLayout(serialRow);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    // An editable combo box keeps Enter to itself; here Enter means OK, as in any other field.
    connect(portBox_->lineEdit(), &QLineEdit::returnPressed, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(detectButton_, &QPushButton::clicked, this, [this] { RunSerialButton(SerialButton::DetectBaudRate); });
    connect(setupButton_, &QPushButton::clicked, this, [this] { RunSerialButton(SerialButton::SetupSerialPort); });
    connect(portBox_, &QComboBox::currentTextChanged, this, &CSelectPortDlg::UpdateButtons);
    UpdateButtons();
    portBox_->setFocus();
}

std::string CSelectPortDlg::PortText() const { return FromDisplayText(portBox_->currentText()); }

void CSelectPortDlg::UpdateButtons() {
    bool serial = model_.SerialButtonsApply(PortText());
    detectButton_->setEnabled(serial);
    setupButton_->setEnabled(serial);
}

void CSelectPortDlg::RunSerialButton(SerialButton button) {
    model_.RunSerialButton(button, PortText());
}

}  // namespace varnel
