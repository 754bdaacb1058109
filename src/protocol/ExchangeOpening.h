#pragma once

#include <string>
#include <string_view>

namespace varnel {

class Clock;
class IOComm;
struct ProtocolContext;

// Pause after the pre-init sequence, after the preamble and after an exchange's last output.
inline constexpr int kExchangePauseMs = 500;

// When no port is named, reports `missingPortText` (the request's own "I/O Port not
// specified..." text) and returns false.
bool RequirePortName(ProtocolContext& context, std::string_view missingPortText, int eventCode);

// Sends a non-empty pre-init sequence and pauses; an empty one sends nothing. False when the
// port failed.
bool SendPreInitSequence(IOComm& port, Clock& clock, const std::string& sequence);

// How every configuration exchange starts: open the named port, send the pre-init sequence,
// the preamble, then close and reopen so the printer starts the exchange afresh. False when a
// port operation failed; the caller ends with ClosePortOnFailure(0).
bool OpenExchange(ProtocolContext& context);

// How an exchange ends: `lastOutput` (the closing command after writes, nothing after reads;
// an empty output still performs the port's after-read handling), a pause, and the close.
// False when a port operation failed.
bool CloseExchange(ProtocolContext& context, std::string_view lastOutput);

}  // namespace varnel
