#include "protocol/PortCommands.h"

#include <algorithm>
#include <array>

#include "base/AsciiText.h"
#include "base/CancelledText.h"
#include "base/Clock.h"
#include "base/Reporter.h"
#include "io/ClosePortOnFailure.h"
#include "io/IOComm.h"
#include "io/PortSettings.h"
#include "model/ConfigModel.h"
#include "protocol/ExchangeOpening.h"
#include "protocol/PrinterCommands.h"
#include "protocol/ProtocolContext.h"

namespace varnel {

namespace {

// The printer needs this long after a reset before it takes commands again.
constexpr int kResetSettleMs = 1000;
constexpr int64_t kProbeDrainMs = 2000;
constexpr size_t kProbeReplySize = 12;
constexpr size_t kDiscardBufferSize = 300;
constexpr size_t kDiscardReadSize = 255;
constexpr std::string_view kDetectionCancelledConsequence =
    "the printer did not answer at those; the port is set to 9600 baud.";
static_assert(kFallbackBaudRate == 9600, "the text above names the fallback rate");

// ClosePortOnFailure's argument after an error the operation reported itself.
constexpr int kAlreadyReported = -1;
constexpr int kPortRequestFailed = 0;

std::string WithPreamble(std::string_view command) {
    std::string bytes(cmd::kPreamble);
    bytes.append(command);
    return bytes;
}

// The start every port command shares: a port name, and the port open with the stored settings.
// Returns false after reporting; the port is then closed.
bool OpenForPortCommand(ProtocolContext& context, std::string_view missingPortText) {
    if (!RequirePortName(context, missingPortText, event::kGeneral)) return false;
    if (context.port.Open(context.model.portName, "", SaveCommSetup::Yes)) return true;
    ClosePortOnFailure(context.port, context.reporter, kPortRequestFailed);
    return false;
}

bool IsSerial(const IOComm& port) { return port.GetPortType() == PortKind::Serial; }

int RefuseNonSerial(ProtocolContext& context, std::string_view text) {
    context.reporter.ReportError(std::string(text), event::kGeneral, kSeverityError);
    return ClosePortOnFailure(context.port, context.reporter, kAlreadyReported);
}

enum class ProbeResult { Answered, NoAnswer, NotSent };

ProbeResult ProbeAtRate(ProtocolContext& context, uint32_t rate) {
    IOComm& port = context.port;
    // The port was opened with its save flag, so each rate tried is also stored.
    port.SetBaud(rate);
    if (!port.Output(WithPreamble(cmd::kBaudProbe))) {
        context.reporter.ReportError(std::string(kProbeNotSentText), event::kGeneral, kSeverityError);
        return ProbeResult::NotSent;
    }
    port.WaitOutput(kProbeDrainMs);
    std::array<char, kProbeReplySize> reply{};
    const int received = port.Input(reply.data(), reply.size());
    const std::string_view answer(reply.data(), static_cast<size_t>(std::max(received, 0)));
    return answer.starts_with(cmd::kBaudProbeReplyHead) ? ProbeResult::Answered : ProbeResult::NoAnswer;
}

struct ProbeOutcome {
    // The rate the printer answered at, if it did.
    std::optional<uint32_t> rate;
    // The user stopped the probing after this many rates.
    std::optional<int64_t> cancelledAfter;
};

// Tries the rates in order, one exchange each; the user may stop it between two of them.
ProbeOutcome ProbeRates(ProtocolContext& context) {
    // Failures met while probing are boxed but not logged; the final verdict is.
    QuietProbe quiet(context.reporter);
    const auto total = static_cast<int64_t>(kProbeBaudRates.size());
    for (int64_t tried = 0; tried < total; ++tried) {
        if (context.reporter.CancelRequested()) return {std::nullopt, tried};
        const uint32_t rate = kProbeBaudRates[static_cast<size_t>(tried)];
        context.reporter.ShowProgress("Trying " + std::to_string(rate) + " baud", tried, total);
        switch (ProbeAtRate(context, rate)) {
            case ProbeResult::Answered: return {rate, std::nullopt};
            case ProbeResult::NotSent: return {};
            case ProbeResult::NoAnswer: break;
        }
    }
    return {};
}

}  // namespace

int ResetPrinter(ProtocolContext& context) {
    if (!OpenForPortCommand(context, kResetNoPortText)) return 0;
    IOComm& port = context.port;
    // Sent even when empty: an empty output still asks whether the port is ready.
    if (!port.OutputString(context.preInitSequence))
        return ClosePortOnFailure(port, context.reporter, kPortRequestFailed);
    if (!port.Output(WithPreamble(cmd::kReset)))
        return ClosePortOnFailure(port, context.reporter, kPortRequestFailed);
    port.Close();
    context.clock.Sleep(kResetSettleMs);
    return 1;
}

int DetectBaudRate(ProtocolContext& context) {
    if (!OpenForPortCommand(context, kAutoBaudNoPortText)) return 0;
    IOComm& port = context.port;
    if (!IsSerial(port)) return RefuseNonSerial(context, kDetectionSerialOnlyText);

    const ProbeOutcome outcome = ProbeRates(context);
    if (outcome.rate) {
        std::array<char, kDiscardBufferSize> rest{};
        port.Input(rest.data(), kDiscardReadSize);
        context.model.detectedBaud = static_cast<int32_t>(*outcome.rate);
        port.Output(cmd::kClosing);
        context.clock.Sleep(kExchangePauseMs);
    } else {
        // A cancelled detection leaves the line as a failed one does.
        if (outcome.cancelledAfter)
            context.reporter.ReportMessage(CancelledText("Baud rate detection", *outcome.cancelledAfter,
                                                         static_cast<int64_t>(kProbeBaudRates.size()), "rates",
                                                         kDetectionCancelledConsequence),
                                           event::kGeneral, kSeverityMessage);
        else
            context.reporter.ReportError(std::string(kDetectionFailedText), event::kGeneral, kSeverityError);
        context.model.detectedBaud = 0;
        port.SetBaud(kFallbackBaudRate);
    }
    port.Close();
    return outcome.rate ? 1 : 0;
}

int RunBaudRateDetection(ProtocolContext& context) {
    context.reporter.ShowStatus(std::string(kDetectionInProgressText), event::kGeneral, kSeverityMessage);
    if (!DetectBaudRate(context)) return 0;
    context.reporter.ReportMessage(std::string(kBaudDetectedText) + std::to_string(context.model.detectedBaud),
                                   event::kGeneral, kSeverityMessage);
    return 1;
}

int SetupSerialPort(ProtocolContext& context, const std::string& text) {
    if (!OpenForPortCommand(context, kPortSetupNoPortText)) return 0;
    IOComm& port = context.port;
    if (!IsSerial(port)) return RefuseNonSerial(context, kSetupSerialOnlyText);

    port.Close();
    // XON/XOFF is never left on: the printer's replies are binary and may hold those bytes.
    if (port.GetHandshake() == kHandshakeXonXoff) port.SetHandshake(kHandshakeNone);
    // Offers the text as the port's configuration string; the setup below applies it.
    port.Open(context.model.portName, text, SaveCommSetup::Yes);
    const int result = port.PortSetup(&context.ui);
    port.Close();
    return result;
}

int SetupHandshake(ProtocolContext& context, const std::string& text) {
    if (!OpenForPortCommand(context, kHandshakeNoPortText)) return 0;
    IOComm& port = context.port;
    if (!IsSerial(port)) return RefuseNonSerial(context, kSetupSerialOnlyText);

    port.Close();
    // A flow control the line never took must not be reported as set.
    if (!port.Open(context.model.portName, text, SaveCommSetup::Yes))
        return ClosePortOnFailure(port, context.reporter, kPortRequestFailed);
    if (const std::optional<int> kind = HandshakeKindFromText(text)) port.SetHandshake(*kind);
    port.Close();
    return 1;
}

std::optional<int> HandshakeKindFromText(std::string_view text) {
    const std::string lower = ToLowerAscii(text);
    // Tested in this order, a later match overriding an earlier one; "xon" selects no flow
    // control, since XON/XOFF would eat bytes of the printer's binary replies.
    struct Word {
        std::string_view word;
        int kind;
    };
    constexpr std::array<Word, 3> kWords = {{{"hardware", kHandshakeHardware},
                                             {"xon", kHandshakeNone},
                                             {"none", kHandshakeNone}}};
    std::optional<int> kind;
    for (const Word& w : kWords)
        if (lower.find(w.word) != std::string::npos) kind = w.kind;
    return kind;
}

}  // namespace varnel
