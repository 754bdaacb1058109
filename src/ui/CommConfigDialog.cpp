#include "ui/CommConfigDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <array>

#include "io/CommConfig.h"
#include "ui/UiText.h"

namespace varnel {
namespace {

constexpr std::array kBaudRates = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 128000, 256000};
constexpr int kMinDataBits = 5;
constexpr int kMaxDataBits = 8;
constexpr uint32_t kFallbackBaud = 9600;

enum class FlowControl { XonXoff, Hardware, None };

FlowControl FlowOf(const Dcb& dcb) {
    if (dcb.Has(dcb::fOutX) || dcb.Has(dcb::fInX)) return FlowControl::XonXoff;
    if (dcb.Has(dcb::fOutxCtsFlow) || dcb.RtsControl() == dcb::kRtsControlHandshake) return FlowControl::Hardware;
    return FlowControl::None;
}

// The three choices set the flow-control bits as one group, as the system's own dialog does.
void ApplyFlow(Dcb& dcb, FlowControl flow) {
    bool hardware = flow == FlowControl::Hardware;
    bool xon = flow == FlowControl::XonXoff;
    dcb.Set(dcb::fOutxCtsFlow, hardware);
    dcb.Set(dcb::fOutxDsrFlow, hardware);
    dcb.SetDtrControl(hardware ? dcb::kDtrControlHandshake : dcb::kDtrControlEnable);
    dcb.SetRtsControl(hardware ? dcb::kRtsControlHandshake : dcb::kRtsControlEnable);
    dcb.Set(dcb::fOutX, xon);
    dcb.Set(dcb::fInX, xon);
}

// Selects the entry of `value`; a value the record does not hold sensibly shows `fallback`.
void SelectData(QComboBox& box, int value, int fallback) {
    int index = box.findData(value);
    if (index < 0) index = box.findData(fallback);
    if (index >= 0) box.setCurrentIndex(index);
}

QComboBox* NamedBox(QDialog& dialog, const char* name) {
    auto* box = new QComboBox(&dialog);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

}  // namespace

bool EditCommConfigDialog(QWidget* owner, const std::string& portName, std::string& commConfig) {
    CommConfig config = CommConfig::FromBytes(commConfig);
    Dcb& dcb = config.dcb;

    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("CommConfigDialog"));
    dialog.setWindowTitle(ToDisplayText(portName) + QStringLiteral(" Properties"));
    auto* form = new QFormLayout(&dialog);  // owned by the dialog, as are the widgets below

    auto* baud = NamedBox(dialog, "baud");
    baud->setEditable(true);
    baud->setValidator(new QIntValidator(1, 4'000'000, baud));
    for (int rate : kBaudRates) baud->addItem(QString::number(rate));
    baud->setCurrentText(QString::number(dcb.BaudRate > 0 ? dcb.BaudRate : kFallbackBaud));
    form->addRow(QStringLiteral("&Bits per second:"), baud);

    auto* dataBits = NamedBox(dialog, "dataBits");
    for (int bits = kMinDataBits; bits <= kMaxDataBits; ++bits) dataBits->addItem(QString::number(bits), bits);
    SelectData(*dataBits, dcb.ByteSize, kMaxDataBits);
    form->addRow(QStringLiteral("&Data bits:"), dataBits);

    auto* parity = NamedBox(dialog, "parity");
    parity->addItem(QStringLiteral("Even"), dcb::kEvenParity);
    parity->addItem(QStringLiteral("Odd"), dcb::kOddParity);
    parity->addItem(QStringLiteral("None"), dcb::kNoParity);
    parity->addItem(QStringLiteral("Mark"), dcb::kMarkParity);
    parity->addItem(QStringLiteral("Space"), dcb::kSpaceParity);
    SelectData(*parity, dcb.Parity, dcb::kNoParity);
    form->addRow(QStringLiteral("&Parity:"), parity);

    auto* stopBits = NamedBox(dialog, "stopBits");
    stopBits->addItem(QStringLiteral("1"), dcb::kOneStopBit);
    stopBits->addItem(QStringLiteral("1.5"), dcb::kOne5StopBits);
    stopBits->addItem(QStringLiteral("2"), dcb::kTwoStopBits);
    SelectData(*stopBits, dcb.StopBits, dcb::kOneStopBit);
    form->addRow(QStringLiteral("&Stop bits:"), stopBits);

    auto* flow = NamedBox(dialog, "flow");
    flow->addItem(QStringLiteral("Xon / Xoff"), static_cast<int>(FlowControl::XonXoff));
    flow->addItem(QStringLiteral("Hardware"), static_cast<int>(FlowControl::Hardware));
    flow->addItem(QStringLiteral("None"), static_cast<int>(FlowControl::None));
    SelectData(*flow, static_cast<int>(FlowOf(dcb)), static_cast<int>(FlowControl::None));
    form->addRow(QStringLiteral("&Flow control:"), flow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);

    if (dialog.exec() != QDialog::Accepted) return false;

    bool baudOk = false;
    uint32_t rate = baud->currentText().toUInt(&baudOk);
    if (baudOk && rate > 0) dcb.BaudRate = rate;
    dcb.ByteSize = static_cast<uint8_t>(dataBits->currentData().toInt());
    dcb.Parity = static_cast<uint8_t>(parity->currentData().toInt());
    dcb.Set(dcb::fParity, dcb.Parity != dcb::kNoParity);
    dcb.StopBits = static_cast<uint8_t>(stopBits->currentData().toInt());
    ApplyFlow(dcb, static_cast<FlowControl>(flow->currentData().toInt()));
    commConfig = config.ToBytes();
    return true;
}

}  // namespace varnel
