#include "protocol/ExchangeOpening.h"

#include "base/Clock.h"
#include "base/Reporter.h"
#include "io/IOComm.h"
#include "model/ConfigModel.h"
#include "protocol/PrinterCommands.h"
#include "protocol/ProtocolContext.h"

namespace varnel {

bool RequirePortName(ProtocolContext& context, std::string_view missingPortText, int eventCode) {
    if (!context.model.portName.empty()) return true;
    context.reporter.ReportError(std::string(missingPortText), eventCode, kSeverityError);
    return false;
}

bool SendPreInitSequence(IOComm& port, Clock& clock, const std::string& sequence) {
    if (sequence.empty()) return true;
    if (!port.OutputString(sequence)) return false;
    clock.Sleep(kExchangePauseMs);
    return true;
}

bool OpenExchange(ProtocolContext& context) {
    IOComm& port = context.port;
    if (!port.Open(context.model.portName, "", SaveCommSetup::Yes)) return false;
    if (!SendPreInitSequence(port, context.clock, context.preInitSequence)) return false;
    if (!port.OutputString(cmd::kPreamble)) return false;
    context.clock.Sleep(kExchangePauseMs);
    if (!port.Close()) return false;
    return port.Open() != 0;
}

bool CloseExchange(ProtocolContext& context, std::string_view lastOutput) {
    if (!context.port.OutputString(lastOutput)) return false;
    context.clock.Sleep(kExchangePauseMs);
    return context.port.Close() != 0;
}

}  // namespace varnel
