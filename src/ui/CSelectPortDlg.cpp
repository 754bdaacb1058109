#include "ui/CSelectPortDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "ui/OperationStatus.h"
#include "ui/PrinterJob.h"
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
    okButton_ = buttons->button(QDialogButtonBox::Ok);
    okButton_->setObjectName(QStringLiteral("ok"));
    okButton_->setDefault(true);
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
    operationStatus_ = new OperationStatus(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(portRow);
    layout->addLayout(serialRow);
    layout->addWidget(operationStatus_);
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
    bool serial = !detecting_ && model_.SerialButtonsApply(PortText());
    detectButton_->setEnabled(serial);
    setupButton_->setEnabled(serial);
}

void CSelectPortDlg::RunSerialButton(SerialButton button) {
    switch (button) {
    case SerialButton::DetectBaudRate: return DetectBaudRateBeside();
    // The serial setup is a dialog of its own at once: nothing to wait for.
    case SerialButton::SetupSerialPort: return model_.RunSerialButton(button, PortText(), nullptr);
    }
}

void CSelectPortDlg::DetectBaudRateBeside() {
    const std::string port = PortText();
    OperationMonitor* monitor = nullptr;
    std::exception_ptr failure;
    // Runs on the job's thread; only `failure` comes back, read once the thread has ended.
    PrinterJob job(
        [this, &port, &monitor, &failure] {
            try {
                model_.RunSerialButton(SerialButton::DetectBaudRate, port, monitor);
            } catch (...) {
                failure = std::current_exception();
            }
        },
        nullptr);
    monitor = &job;
    connect(&job, &PrinterJob::ProgressChanged, operationStatus_, &OperationStatus::ShowProgress);
    connect(operationStatus_, &OperationStatus::CancelClicked, &job, &PrinterJob::Cancel);
    QEventLoop untilEnded;
    connect(&job, &PrinterJob::Finished, &untilEnded, &QEventLoop::quit);

    SetDetecting(true);
    operationStatus_->Begin(QStringLiteral("Detecting the printer's baud rate"),
                            OperationStatus::CancelButton::Offered);
    job.Start();
    // The dialog keeps answering meanwhile; its boxes come from the job through the user interface.
    // A loop ended early (the program's own exit) is entered again: the job is never left behind.
    while (!job.Ended()) untilEnded.exec();
    disconnect(operationStatus_, &OperationStatus::CancelClicked, &job, &PrinterJob::Cancel);
    operationStatus_->End();
    SetDetecting(false);
    if (!failure) return;
    failure_ = failure;
    reject();
}

void CSelectPortDlg::SetDetecting(bool detecting) {
    detecting_ = detecting;
    portBox_->setEnabled(!detecting);
    okButton_->setEnabled(!detecting);
    cancelButton_->setEnabled(!detecting);
    UpdateButtons();
}

void CSelectPortDlg::RethrowFailure() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void CSelectPortDlg::done(int result) {
    if (detecting_) return;
    QDialog::done(result);
}

void CSelectPortDlg::reject() {
    if (!detecting_) return QDialog::reject();
    QPushButton* stop = operationStatus_->cancelButton();
    if (stop->isEnabled()) stop->click();
}

}  // namespace varnel
