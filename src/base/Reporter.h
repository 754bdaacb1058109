#pragma once

#include <string>

namespace varnel {

// Severity of a report, passed on to the status monitor.
inline constexpr int kSeverityError = 10;
inline constexpr int kSeverityMessage = 5;

// Event families of reports (the monitor groups notifications by them).
namespace event {
inline constexpr int kGeneral = 0;
inline constexpr int kConfigExchange = 1;     // a configuration read, verify or write begins
inline constexpr int kExchangeEnd = 2;        // it ends; also "Read failures exceeded 10"
inline constexpr int kExiting = 3;
inline constexpr int kPortClosedOnError = 4;
inline constexpr int kModelOrMap = 5;
inline constexpr int kSerialNumber = 7;
inline constexpr int kManufactureId = 8;
inline constexpr int kDescription = 9;
inline constexpr int kSettingNotWritten = 10;
inline constexpr int kNotInBootMode = 11;
inline constexpr int kBootFile = 12;
inline constexpr int kFlashUpdated = 14;        // the boot file was streamed
inline constexpr int kFlashAlreadyCurrent = 15; // the printer already ran that firmware
inline constexpr int kFlashBootExited = 16;     // the user left boot mode without flashing
}  // namespace event

// How the layers below the application report. The application object implements it: log,
// status line, status monitor and message boxes.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual int ReportError(const std::string& text, int eventCode, int severity = kSeverityError) = 0;
    virtual int ReportMessage(const std::string& text, int eventCode, int severity = kSeverityMessage) = 0;
    virtual int ShowStatus(const std::string& text, int eventCode, int severity = kSeverityMessage) = 0;
    // A failure of the port: reported as a message (eventCode 0, severity 5), and to the
    // application a failure of the action during which it happened.
    virtual int ReportPortFailure(const std::string& text) { return ReportMessage(text, event::kGeneral, kSeverityMessage); }

    // Quiet probing: errors are boxed but not logged, messages neither. Use QuietProbe.
    virtual void BeginQuietProbing() = 0;
    virtual void EndQuietProbing() = 0;
};

// Restores the reporter's silent mode and log state on every path out of a probe.
class QuietProbe {
public:
    explicit QuietProbe(Reporter& reporter) : reporter_(reporter) { reporter_.BeginQuietProbing(); }
    ~QuietProbe() { reporter_.EndQuietProbing(); }
    QuietProbe(const QuietProbe&) = delete;
    QuietProbe& operator=(const QuietProbe&) = delete;

private:
    Reporter& reporter_;
};

}  // namespace varnel
