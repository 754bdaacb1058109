#include "io/DcbLineSettings.h"

namespace varnel {
namespace {

constexpr int kMinDataBits = 5;
constexpr int kMaxDataBits = 8;

SerialParity ParityOf(uint8_t parity) {
    switch (parity) {
    case dcb::kOddParity: return SerialParity::Odd;
    case dcb::kEvenParity: return SerialParity::Even;
    case dcb::kMarkParity: return SerialParity::Mark;
    case dcb::kSpaceParity: return SerialParity::Space;
    default: return SerialParity::None;  // kNoParity, and bytes no parity stands for
    }
}

uint8_t ParityByte(SerialParity parity) {
    switch (parity) {
    case SerialParity::None: return dcb::kNoParity;
    case SerialParity::Odd: return dcb::kOddParity;
    case SerialParity::Even: return dcb::kEvenParity;
    case SerialParity::Mark: return dcb::kMarkParity;
    case SerialParity::Space: return dcb::kSpaceParity;
    }
    return dcb::kNoParity;
}

SerialStopBits StopBitsOf(uint8_t stopBits) {
    switch (stopBits) {
    case dcb::kOne5StopBits: return SerialStopBits::OneAndHalf;
    case dcb::kTwoStopBits: return SerialStopBits::Two;
    default: return SerialStopBits::One;  // kOneStopBit, and bytes no stop bit count stands for
    }
}

uint8_t StopBitsByte(SerialStopBits stopBits) {
    switch (stopBits) {
    case SerialStopBits::One: return dcb::kOneStopBit;
    case SerialStopBits::OneAndHalf: return dcb::kOne5StopBits;
    case SerialStopBits::Two: return dcb::kTwoStopBits;
    }
    return dcb::kOneStopBit;
}

SerialFlowControl FlowOf(const Dcb& dcb) {
    if (dcb.Has(dcb::fOutX) || dcb.Has(dcb::fInX)) return SerialFlowControl::XonXoff;
    if (dcb.Has(dcb::fOutxCtsFlow) || dcb.RtsControl() == dcb::kRtsControlHandshake)
        return SerialFlowControl::Hardware;
    return SerialFlowControl::None;
}

void ApplyFlow(Dcb& dcb, SerialFlowControl flow) {
    bool hardware = flow == SerialFlowControl::Hardware;
    bool xon = flow == SerialFlowControl::XonXoff;
    dcb.Set(dcb::fOutxCtsFlow, hardware);
    dcb.Set(dcb::fOutxDsrFlow, hardware);
    dcb.SetDtrControl(hardware ? dcb::kDtrControlHandshake : dcb::kDtrControlEnable);
    dcb.SetRtsControl(hardware ? dcb::kRtsControlHandshake : dcb::kRtsControlEnable);
    dcb.Set(dcb::fOutX, xon);
    dcb.Set(dcb::fInX, xon);
}

}  // namespace

SerialLineSettings LineSettingsOf(const Dcb& dcb) {
    SerialLineSettings settings;
    if (dcb.BaudRate > 0) settings.baudRate = dcb.BaudRate;
    if (dcb.ByteSize >= kMinDataBits && dcb.ByteSize <= kMaxDataBits) settings.dataBits = dcb.ByteSize;
    settings.parity = ParityOf(dcb.Parity);
    settings.stopBits = StopBitsOf(dcb.StopBits);
    settings.flow = FlowOf(dcb);
    return settings;
}

void ApplyLineSettings(Dcb& dcb, const SerialLineSettings& settings) {
    if (settings.baudRate > 0) dcb.BaudRate = settings.baudRate;
    if (settings.dataBits >= kMinDataBits && settings.dataBits <= kMaxDataBits)
        dcb.ByteSize = static_cast<uint8_t>(settings.dataBits);
    dcb.Parity = ParityByte(settings.parity);
    dcb.Set(dcb::fParity, settings.parity != SerialParity::None);
    dcb.StopBits = StopBitsByte(settings.stopBits);
    ApplyFlow(dcb, settings.flow);
}

}  // namespace varnel
