#include "ui/CommConfigDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <array>

#include "ui/UiText.h"

namespace varnel {
namespace {

constexpr std::array kBaudRates = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 128000, 256000};
constexpr int kMaxBaudRate = 4'000'000;
constexpr int kMinDataBits = 5;
constexpr int kMaxDataBits = 8;

QComboBox* NamedBox(QDialog& dialog, const char* name) {
    auto* box = new QComboBox(&dialog);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// Entries carry their value as the item's data; the current one is selected.
template <typename T>
void AddChoice(QComboBox& box, const QString& text, T value, T current) {
    box.addItem(text, static_cast<int>(value));
    if (value == current) box.setCurrentIndex(box.count() - 1);
}

template <typename T>
T ChosenValue(const QComboBox& box) {
    return static_cast<T>(box.currentData().toInt());
}

}  // namespace

std::optional<SerialLineSettings> EditCommConfigDialog(QWidget* owner, const std::string& portName,
                                                       const SerialLineSettings& current) {
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("CommConfigDialog"));
    dialog.setWindowTitle(ToDisplayText(portName) + QStringLiteral(" Properties"));
    auto* form = new QFormLayout(&dialog);  // owned by the dialog, as are the widgets below

    auto* baud = NamedBox(dialog, "baud");
    baud->setEditable(true);
    baud->setValidator(new QIntValidator(1, kMaxBaudRate, baud));
    for (int rate : kBaudRates) baud->addItem(QString::number(rate));
    baud->setCurrentText(QString::number(current.baudRate));
    form->addRow(QStringLiteral("&Bits per second:"), baud);

    auto* dataBits = NamedBox(dialog, "dataBits");
    for (int bits = kMinDataBits; bits <= kMaxDataBits; ++bits)
        AddChoice(*dataBits, QString::number(bits), bits, current.dataBits);
    form->addRow(QStringLiteral("&Data bits:"), dataBits);

    auto* parity = NamedBox(dialog, "parity");
    AddChoice(*parity, QStringLiteral("Even"), SerialParity::Even, current.parity);
    AddChoice(*parity, QStringLiteral("Odd"), SerialParity::Odd, current.parity);
    AddChoice(*parity, QStringLiteral("None"), SerialParity::None, current.parity);
    AddChoice(*parity, QStringLiteral("Mark"), SerialParity::Mark, current.parity);
    AddChoice(*parity, QStringLiteral("Space"), SerialParity::Space, current.parity);
    form->addRow(QStringLiteral("&Parity:"), parity);

    auto* stopBits = NamedBox(dialog, "stopBits");
    AddChoice(*stopBits, QStringLiteral("1"), SerialStopBits::One, current.stopBits);
    AddChoice(*stopBits, QStringLiteral("1.5"), SerialStopBits::OneAndHalf, current.stopBits);
    AddChoice(*stopBits, QStringLiteral("2"), SerialStopBits::Two, current.stopBits);
    form->addRow(QStringLiteral("&Stop bits:"), stopBits);

    auto* flow = NamedBox(dialog, "flow");
    AddChoice(*flow, QStringLiteral("Xon / Xoff"), SerialFlowControl::XonXoff, current.flow);
    AddChoice(*flow, QStringLiteral("Hardware"), SerialFlowControl::Hardware, current.flow);
    AddChoice(*flow, QStringLiteral("None"), SerialFlowControl::None, current.flow);
    form->addRow(QStringLiteral("&Flow control:"), flow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    form->setSizeConstraint(QLayout::SetFixedSize);

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;

    SerialLineSettings chosen = current;
    bool baudOk = false;
    uint32_t rate = baud->currentText().toUInt(&baudOk);
    if (baudOk && rate > 0) chosen.baudRate = rate;
    chosen.dataBits = dataBits->currentData().toInt();
    chosen.parity = ChosenValue<SerialParity>(*parity);
    chosen.stopBits = ChosenValue<SerialStopBits>(*stopBits);
    chosen.flow = ChosenValue<SerialFlowControl>(*flow);
    return chosen;
}

}  // namespace varnel
