#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

struct ProtocolContext;

// Rates tried by the baud-rate detection, most common first.
inline constexpr std::array<uint32_t, 8> kProbeBaudRates = {9600, 19200, 38400, 4800, 2400, 1200, 600, 300};
// The rate stored after a failed detection.
inline constexpr uint32_t kFallbackBaudRate = 9600;

inline constexpr std::string_view kResetNoPortText =
    "I/O Port not specified, or I/O Port not specified before Reset printer request.";
inline constexpr std::string_view kAutoBaudNoPortText =
    "I/O Port not specified, or I/O Port not specified before Automatic baud rate (-autobaud).";
inline constexpr std::string_view kPortSetupNoPortText =
    "I/O Port not specified, or I/O Port not specified before port setup request.";
inline constexpr std::string_view kHandshakeNoPortText =
    "I/O Port not specified, or I/O Port not specified before handshaking setup request.";
inline constexpr std::string_view kDetectionSerialOnlyText =
    "Baud rate detection is only done on standard serial ports.";
inline constexpr std::string_view kSetupSerialOnlyText = "Setup is only done on standard serial ports.";
inline constexpr std::string_view kProbeNotSentText =
    "Printer not connected or incorrect port selected. Check connection and try again.";
inline constexpr std::string_view kDetectionFailedText = "I/O Port Automatic baud rate detection failed.";

// Menu texts around the detection.
inline constexpr std::string_view kDetectionInProgressText = "Automatic Baud Rate detection in progress.";
inline constexpr std::string_view kBaudDetectedText = "Baud rate detected: ";

// Sends the pre-init sequence, then the preamble and the reset command; the port ends closed.
int ResetPrinter(ProtocolContext& context);

// Probes the serial line at each rate of kProbeBaudRates until the printer answers. Every rate
// tried is stored as the serial configuration; after a failure 9600 is. Sets
// `context.model.detectedBaud` (0 after a failure).
int DetectBaudRate(ProtocolContext& context);

// The "Detect Printer Baud Rate" menu command: a status text while probing, then the rate found.
int RunBaudRateDetection(ProtocolContext& context);

// Serial line setup from a configuration string ("baud=9600 parity=N data=8 stop=1"); an empty
// text asks the user with the serial configuration dialog. Returns the port setup's result.
int SetupSerialPort(ProtocolContext& context, const std::string& text);

// Flow control from a word: "hardware" switches hardware flow control on, "xon" and "none"
// switch flow control off. Applied to the port for the rest of the run, not stored.
int SetupHandshake(ProtocolContext& context, const std::string& text);

// The handshake kind the words of `text` select, tested in the order hardware, xon, none with a
// later match winning, case-insensitively anywhere in the text; none when no word is there.
std::optional<int> HandshakeKindFromText(std::string_view text);

}  // namespace varnel
