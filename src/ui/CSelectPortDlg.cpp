#include "ui/CSelectPortDlg.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CVarnelApp.h"
#include "base/AsciiText.h"
#include "io/PortDiscovery.h"
#include "io/PortName.h"
#include "ui/UiText.h"

namespace varnel {
namespace {

// Control ids of the dialog template.
constexpr int kPortBoxId = 1000;
constexpr int kDetectButtonId = 1054;
constexpr int kSetupButtonId = 1055;
constexpr std::string_view kComName = "COM";  // case-sensitive, as the port names write it

}  // namespace

std::vector<std::string> CollectPortList(const std::function<std::string(int)>& entryAt) {
    std::vector<std::string> ports;
    for (int position = 0; position < kMaxPortListNames; ++position) {
        std::string name = entryAt(position);
        if (name.empty()) break;
        bool held = std::any_of(ports.begin(), ports.end(), [&](const std::string& p) { return EqualsIgnoreCase(p, name); });
        if (!held) ports.push_back(std::move(name));
    }
    std::stable_sort(ports.begin(), ports.end(), LessIgnoreCase);
    return ports;
}

int InitialPortIndex(const std::vector<std::string>& ports, std::string_view portName) {
    if (ports.empty()) return -1;
    for (size_t i = 0; i < ports.size(); ++i)
        if (StartsWithIgnoreCase(ports[i], portName))
            return static_cast<int>(i);
    return 0;
}

bool IsSerialPortText(std::string_view name) {
    if (name.find(kComName) != std::string_view::npos) return true;
    // A Linux user's serial ports are /dev/tty... paths, which hold no "COM".
    return IsNativePath(name) && ClassifyPortName(name) == PortKind::Serial;
}

CSelectPortDlg::CSelectPortDlg(const std::vector<std::string>& ports, const std::string& portName, Actions actions,
                               QWidget* parent)
    : QDialog(parent), actions_(std::move(actions)) {
    setWindowTitle(QStringLiteral("Select Communication Port"));

    // Widgets are owned by the dialog.
    portBox_ = new QComboBox(this);
    portBox_->setObjectName(QStringLiteral("id%1").arg(kPortBoxId));
    portBox_->setEditable(true);
    portBox_->setInsertPolicy(QComboBox::NoInsert);
    portBox_->setMinimumContentsLength(24);
    for (const std::string& port : ports) portBox_->addItem(ToDisplayText(port));
    portBox_->setCurrentIndex(InitialPortIndex(ports, portName));

    detectButton_ = new QPushButton(QStringLiteral("Detect baud rate."), this);
    detectButton_->setObjectName(QStringLiteral("id%1").arg(kDetectButtonId));
    setupButton_ = new QPushButton(QStringLiteral("Setup serial port."), this);
    setupButton_->setObjectName(QStringLiteral("id%1").arg(kSetupButtonId));
    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("ok"));
    okButton->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cancel"));
    for (QPushButton* button : {detectButton_, setupButton_, cancelButton_}) button->setAutoDefault(false);

    auto* serialRow = new QHBoxLayout;
    serialRow->addWidget(detectButton_);
    serialRow->addWidget(setupButton_);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(okButton);
    buttonRow->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(portBox_);
    layout->addLayout(serialRow);
    layout->addLayout(buttonRow);

    connect(okButton, &QPushButton::clicked, this, &CSelectPortDlg::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &CSelectPortDlg::reject);
    connect(detectButton_, &QPushButton::clicked, this, [this] { SetPortAndRun(actions_.detectBaudRate); });
    connect(setupButton_, &QPushButton::clicked, this, [this] { SetPortAndRun(actions_.setupSerialPort); });
    connect(portBox_, &QComboBox::currentIndexChanged, this, &CSelectPortDlg::UpdateButtons);
    connect(portBox_, &QComboBox::currentTextChanged, this, &CSelectPortDlg::UpdateButtons);
    UpdateButtons();
}

std::string CSelectPortDlg::PortText() const { return FromDisplayText(portBox_->currentText()); }

void CSelectPortDlg::UpdateButtons() {
    bool serial = IsSerialPortText(PortText());
    detectButton_->setEnabled(serial);
    setupButton_->setEnabled(serial);
}

void CSelectPortDlg::SetPortAndRun(const std::function<void()>& command) {
    if (actions_.setPort) actions_.setPort(PortText());
    // The port is set now; Cancel could no longer undo it.
    cancelButton_->setEnabled(false);
    if (command) command();
}

void CSelectPortDlg::accept() {
    if (actions_.setPort) actions_.setPort(PortText());
    QDialog::accept();
}

void RunSelectPort(CVarnelApp& app, const DeviceSource& devices, QWidget* owner,
                   std::function<void()> detectBaudRate, std::function<void()> setupSerialPort) {
    std::vector<std::string> ports =
        CollectPortList([&](int position) { return GetPortListEntry(position, devices, app.store()); });
    CSelectPortDlg::Actions actions{
        [&app](const std::string& port) {
            app.model().portName = port;
            app.UpdateTitle();
        },
        std::move(detectBaudRate), std::move(setupSerialPort)};
    CSelectPortDlg dialog(ports, app.model().portName, std::move(actions), owner);
    dialog.exec();
}

}  // namespace varnel
