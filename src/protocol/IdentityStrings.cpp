#include "protocol/IdentityStrings.h"

#include <array>
#include <optional>

#include "base/Clock.h"
#include "base/Reporter.h"
#include "io/ClosePortOnFailure.h"
#include "io/IOComm.h"
#include "protocol/ExchangeOpening.h"
#include "protocol/PrinterCommands.h"
#include "protocol/ProtocolContext.h"

namespace varnel {

namespace {

constexpr size_t kSerialNumberLength = 11;
constexpr size_t kMaxManufactureIdLength = 12;
constexpr size_t kMaxDescriptionLength = 48;

constexpr size_t kReplyBufferSize = 300;
// Reads ask for less than the buffer holds, so a zero byte always follows what arrived.
constexpr size_t kReplyReadSize = 255;
constexpr int64_t kReadBackDrainMs = 2000;

constexpr int kPortRequestFailed = 0;

constexpr std::string_view kSerialNumberMissingPort =
    "I/O Port not specified, or I/O Port not specified before Serial Number.";
constexpr std::string_view kSerialNumberSuccess = "Serial Number programmed and verified.";
constexpr std::string_view kSerialNumberFailure = "Serial Number could not be verified.";

bool BreaksLengthRule(const IdentityRow& row, std::string_view text) {
    switch (row.rule) {
        case LengthRule::Exactly: return text.size() != row.length;
        case LengthRule::AtMost: return text.size() > row.length;
        case LengthRule::None: return false;
    }
    return false;
}

using ReplyBuffer = std::array<char, kReplyBufferSize>;

// Reads the printer's answer to the identity read; the received text up to its first zero byte,
// or none when nothing arrived. The buffer is zeroed again so that bytes drained into it earlier
// cannot trail an answer that arrives without its zero byte.
std::optional<std::string> ReadBack(IOComm& port, ReplyBuffer& buffer) {
    buffer.fill('\0');
    port.WaitOutput(kReadBackDrainMs);
    const int received = port.Input(buffer.data(), kReplyReadSize);
    if (received <= 0) return std::nullopt;
    return std::string(buffer.data());
}

}  // namespace

const IdentityRow kSerialNumberRow{
    &ConfigModel::serialNumber, cmd::kSerialNumberTable, LengthRule::Exactly, kSerialNumberLength,
    "Serial Number must be 11 characters long!!!", event::kGeneral, kSerialNumberMissingPort,
    event::kSerialNumber, kSerialNumberSuccess, kSerialNumberFailure};

const IdentityRow kSerialNumber2Row{
    &ConfigModel::serialNumber, cmd::kSerialNumberTable2, LengthRule::None, 0,
    "", event::kGeneral, kSerialNumberMissingPort,
    event::kSerialNumber, kSerialNumberSuccess, kSerialNumberFailure};

const IdentityRow kManufactureIdRow{
    &ConfigModel::manufactureId, cmd::kManufactureIdTable, LengthRule::AtMost, kMaxManufactureIdLength,
    "Manufacture ID must be 12 characters long or less!!!", event::kManufactureId,
    "I/O Port not specified, or I/O Port not specified before Manufacture ID.",
    event::kManufactureId, "Manufacture ID programmed and verified.", "Manufacture ID could not be verified."};

const IdentityRow kDescriptionRow{
    &ConfigModel::description, cmd::kDescriptionTable, LengthRule::AtMost, kMaxDescriptionLength,
    "Description must be 48 characters long or less!!!", event::kGeneral,
    "I/O Port not specified, or I/O Port not specified before Description.",
    event::kDescription, "Description programmed and verified.", "Description could not be verified."};

int ProgramIdentityString(ProtocolContext& context, const IdentityRow& row, const std::string& text) {
    // Kept even when refused: the model shows the last text given.
    context.model.*row.field = text;
    if (BreaksLengthRule(row, text)) {
        context.reporter.ReportError(std::string(row.refusalText), row.refusalEventCode, kSeverityError);
        return 0;
    }
    if (!RequirePortName(context, row.missingPortText, row.refusalEventCode)) return 0;

    IOComm& port = context.port;
    auto fail = [&] { return ClosePortOnFailure(port, context.reporter, kPortRequestFailed); };
    if (!OpenExchange(context)) return fail();
    if (!port.Output(cmd::StringWrite(row.table, text))) return fail();

    // Whatever the printer sent unasked must not be taken for the read-back.
    ReplyBuffer buffer{};
    if (port.InputPending() > 0) port.Input(buffer.data(), kReplyReadSize);

    if (!port.Output(cmd::TableRead(row.table))) return fail();
    const std::optional<std::string> reply = ReadBack(port, buffer);
    if (!reply) return fail();
    if (!CloseExchange(context, cmd::kClosing)) return fail();

    if (*reply == cmd::TableReadReplyHead(row.table) + text) {
        context.reporter.ReportMessage(std::string(row.successText), row.resultEventCode, kSeverityMessage);
        return 1;
    }
    context.reporter.ReportError(std::string(row.failureText), row.resultEventCode, kSeverityError);
    return 0;
}

}  // namespace varnel
