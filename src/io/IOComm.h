#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "io/PortBackend.h"
#include "io/PortKind.h"
#include "io/PortLock.h"
#include "io/PortSettings.h"

namespace varnel {

class Clock;
class Reporter;
class SettingsStore;
class UserInterface;
struct RetryState;

// Whether the serial setup the port takes while open (PortSetup, SetBaud) is written back to the
// stored "Comm data", where the next open finds it.
enum class SaveCommSetup : bool { No, Yes };

// The operating system family and major version; they decide the parallel status rules. Linux
// answers as the NT family; tests set other values.
struct OsVersion {
    bool ntFamily = true;
    int majorVersion = 6;
};

// The one class through which the program talks to a printer: a serial port, a parallel port,
// a printer device node or a TCP connection behind one byte stream. Operations return 1 / 0
// (or a count) and keep the last failure as a text and a flag.
class IOComm {
public:
    // The object owns its backend.
    IOComm(SettingsStore& store, Clock& clock, Reporter& reporter,
           std::unique_ptr<PortBackend> backend = MakeSystemPortBackend(), UserInterface* ui = nullptr);
    // The backend belongs to the caller and must outlive the object (tests keep their fake).
    IOComm(SettingsStore& store, Clock& clock, Reporter& reporter, PortBackend& backend,
           UserInterface* ui = nullptr);
    ~IOComm();
    IOComm(const IOComm&) = delete;
    IOComm& operator=(const IOComm&) = delete;

    // Connections. Open returns non-zero on success (1), 0 on failure.
    int Open(const std::string& name, const std::string& commString, SaveCommSetup save);
    int Open();
    int Close();

    // Data transfer.
    int Output(const char* data, size_t count);
    int Output(std::string_view data) { return Output(data.data(), data.size()); }
    int OutputString(std::string_view text) { return Output(text.data(), text.size()); }
    // Places at most `size` bytes (1 to 2000) in `buffer`; returns how many.
    int Input(char* buffer, size_t size);
    int InputPending();
    int OutputPending();
    int WaitOutput(int64_t ms);
    int IsReady();
    int TestIO(const char* data, size_t count);

    // Line settings.
    int SetTimeouts(uint32_t constantMs, uint32_t multiplierMs);
    int SetBaud(uint32_t baud);
    int SetHandshake(int kind);
    int GetHandshake() const { return settings_.Handshake; }
    PortKind GetPortType() const { return settings_.PortType; }

    // Smaller serial operations on the open handle.
    int ClearBreak();
    int SetParity(bool on);
    int SetDtr(bool on);
    int SetRts(bool on);
    int SetEventMask();

    // Settings.
    SettingsKey OpenSettingsKey();
    int LoadSettings();
    // Serial port setup: platform default, stored record, configuration string or the dialog
    // owned by `window` (null: the object's own user interface, which may be none).
    int PortSetup(UserInterface* window = nullptr);

    // State.
    const std::string& GetLastErrorText() const { return lastErrorText_; }
    int GetErrorFlag() const { return errorFlag_ ? 1 : 0; }
    uint32_t GetBytesWritten() const { return bytesWritten_; }
    const std::string& GetPortName() const { return portName_; }
    const std::string& GetCommString() const { return commString_; }
    bool IsOpen() const { return backend_->IsOpen(); }
    PortSettings& Settings() { return settings_; }

    void SetOsVersion(OsVersion version) { os_ = version; }

private:
    int OpenNetwork(const std::string& name);
    void RememberNetworkPort(const std::string& name);
    void NormaliseFlowControl(bool touchDsrOnXonXoff);
    void ApplyHandshakeBits(int kind);
    bool CloseHandleWithRetry();
    bool Reconnect(RetryState& retry);
    void SendExtra(const std::string& text);
    void Fail(const std::string& text);
    void FailWithError(const std::string& prefix);
    // The open failure text: the error number, then where and why in words.
    void FailOpen(PortKind kind, const std::string& where);
    void ReportText(const std::string& text);
    // A failure of the port, reported as the port's messages are.
    void ReportFailure(const std::string& text);

    std::string Substituted(const char* data, size_t count) const;
    int64_t BlockWrite(std::string_view data);
    int64_t BlockRead(char* buffer, size_t size);
    int64_t NetworkRead(char* buffer, size_t size);
    void NetworkDrain(int64_t limitMs);
    int64_t DeviceRead(char* buffer, size_t size);
    bool ModemDsrOn();
    int ParallelReady();
    int StatusPending(bool output);

    SettingsStore& store_;
    Clock& clock_;
    Reporter& reporter_;
    std::unique_ptr<PortBackend> ownedBackend_;
    PortBackend* backend_;
    UserInterface* ui_;

    PortSettings settings_;
    std::string portName_ = "COM2";
    std::string commString_;
    bool errorFlag_ = false;
    std::string lastErrorText_;
    bool reopenBeforeOutput_ = false;
    bool reconnecting_ = false;
    uint32_t bytesWritten_ = 0;
    // What the last network drain did not need of its bound; the next read may wait it for the
    // printer's first bytes.
    int64_t replyGraceMs_ = 0;
    // Until when a network read gathers the pieces of a reply: where the fixed drain after the
    // last command would have ended, or as long as a drain could wait when none followed it.
    int64_t replyWindowEndMs_ = 0;
    OsVersion os_;
    PortLock portLock_;
};

}  // namespace varnel
