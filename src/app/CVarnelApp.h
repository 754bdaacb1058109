#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/CVarnelDoc.h"
#include "app/CommandActions.h"
#include "app/MainWindowPort.h"
#include "app/ViewSnapshot.h"
#include "base/Reporter.h"
#include "files/FilesContext.h"
#include "io/PortBackend.h"
#include "model/ConfigModel.h"
#include "model/ModelObserver.h"
#include "protocol/ProtocolContext.h"
#include "protocol/VerifyDifference.h"

namespace varnel {

class Clock;
class IOComm;
class MonitorNotifier;
class OperationMonitor;
class RunObserver;
class SettingsStore;
class UserInterface;

// "PortName" holds at most this many characters; a longer stored value is not taken.
inline constexpr size_t kMaxPortNameLength = 29;
inline constexpr std::string_view kPortNameValue = "PortName";

// Exit codes of the process.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoDisplay = 3;

// Message box captions.
inline constexpr std::string_view kErrorCaption = "Configuration Error";
inline constexpr std::string_view kMessageCaption = "Configuration Message";

// The run state of the application object. All cleared at construction.
struct RunState {
    // 0: errors and messages are boxed; 1: only errors; 2: nothing.
    int silentMode = 0;
    // While non-zero, nothing is written to the log.
    int logSuspended = 0;
    // Set by every error report; never cleared.
    int errorReported = 0;
    // Set by "exit" and "files": the run ends without the main window.
    int exitRequested = 0;
};

// The application object: exactly one per process. Owns the configuration model and the run
// state, reports for every layer below it (log, status line, status monitor, message boxes) and
// carries out the command-line actions.
class CVarnelApp : public Reporter, public ModelObserver, public CommandActions {
public:
    // `monitor` may be null (no status monitor reachable). `portBackend` carries the platform
    // calls of the port object; null takes the system's (tests hand in a fake).
    CVarnelApp(SettingsStore& store, Clock& clock, UserInterface& ui, MonitorNotifier* monitor,
               std::unique_ptr<PortBackend> portBackend = nullptr);
    // Runs the shutdown if the start-up ran and Shutdown was not called yet, then releases the
    // port object.
    ~CVarnelApp() override;
    CVarnelApp(const CVarnelApp&) = delete;
    CVarnelApp& operator=(const CVarnelApp&) = delete;

    // Start-up up to the dispatch: the saved port name, the start directory, the log's start
    // block, the window title and the flash button.
    void Startup();
    // Acts on the command-line parameters in order. Returns the exit code when the run ends
    // without the main window (an action that ends the process, or "exit"/"files"); nothing
    // when the main window is to open.
    std::optional<int> RunCommandLine(const std::vector<std::string>& parameters);
    // Saves the port name and writes the end entry. Runs at most once; the destructor calls it.
    void Shutdown();

    // Reporting.
    int ReportError(const std::string& text, int eventCode, int severity = kSeverityError) override;
    int ReportMessage(const std::string& text, int eventCode, int severity = kSeverityMessage) override;
    int ShowStatus(const std::string& text, int eventCode, int severity = kSeverityMessage) override;
    // Logged as a message; the record of the run counts it with the errors.
    int ReportPortFailure(const std::string& text) override;
    int NotifyMonitor(const std::string& text, int eventCode, int severity);
    int WriteLog(const std::string& text);
    // Closes the port; reports the communications error when `result` is 0. Returns 0 for -1,
    // else `result`.
    int ClosePortOnFailure(int result);
    void BeginQuietProbing() override;
    void EndQuietProbing() override;
    // Progress and Cancel go to and come from the operation's monitor; none outside the window.
    void ShowProgress(const std::string& step, int64_t done, int64_t total) override;
    bool CancelRequested() const override;
    // Set by the window (or the port dialog) for the length of one operation; null afterwards.
    void SetOperationMonitor(OperationMonitor* monitor) { operationMonitor_ = monitor; }
    OperationMonitor* operationMonitor() const { return operationMonitor_; }

    // Window events of the model; forwarded to the main window once it exists.
    void UpdateTitle() override;
    void SetFlashButtonVisible(bool visible) override;
    void InvalidateView() override;
    // configFilePath + " - Varnel  Port: [" + portName + "]".
    std::string WindowTitle() const;
    void SetMainWindow(MainWindowPort* window) { mainWindow_ = window; }
    bool MainWindowExists() const { return mainWindow_ != nullptr; }

    // The file commands and the save question.
    CVarnelDoc& document() { return doc_; }
    // The document the main window opens with: the configuration the command line read or read
    // from the printer stays (it is not saved anywhere yet), the title follows it, and the flash
    // button shows for a configuration file with "Firmware_ID".
    void OpenFirstDocument();

    // What the configuration view shows, prepared now (never inside a paint): the options file
    // is looked for here and reports here. A lookup that failed is not tried again (nor
    // reported again) until the model changes.
    ViewSnapshot PrepareViewSnapshot();

    // The printer commands of the menu and toolbar. Each returns 1 on success, 0 after it has
    // reported a failure.
    int RunReadConfiguration();
    int RunWriteConfiguration();
    int RunVerifyConfiguration();
    int RunResetPrinter();
    // The status text while probing, then "Baud rate detected: " with the rate found.
    int RunDetectBaudRate();
    // The serial configuration dialog for the current port.
    int RunSetupSerialPort();
    // The interactive firmware update with the user interface's firmware dialog.
    int RunFirmwareUpdate();
    // Printer Files ...: the file manager, which talks to the printer while it is shown.
    int RunPrinterFiles();
    // True while one of the printer commands (or the file manager) runs; its waits let window
    // events through, and the window must not close under it.
    bool PrinterOperationRunning() const { return printerOperations_ > 0; }

    // The end of the interactive run (File Exit, closing the window): refused while a printer
    // operation runs; otherwise a modified configuration gets the save question of New first,
    // and Cancel there keeps the program running.
    // True when the run may end; the shutdown then runs as for every other end of the run.
    bool QueryExit();

    // Help Using Varnel: the help page (the start directory's, else the installed one), at
    // `anchor` when given. A page that cannot be shown is said in a box with its path.
    int OpenHelpPage(const std::string& anchor = {});
    // Help About Varnel.
    void ShowAbout();

    // The log's time stamps; tests fix them.
    void SetTimeStampSource(std::function<std::string()> source) { timeStamp_ = std::move(source); }

    ConfigModel& model() { return model_; }
    const ConfigModel& model() const { return model_; }
    RunState& state() { return state_; }
    const RunState& state() const { return state_; }
    SettingsStore& store() { return store_; }
    Clock& clock() { return clock_; }
    UserInterface& ui() { return ui_; }
    // Sent at the start of every printer exchange (built from "Pre_Init_Command").
    std::string& preInitSequence() { return preInitSequence_; }
    // The one port object of all ordinary printer work.
    IOComm& port() { return *port_; }
    // What the printer operations work with.
    ProtocolContext Context();

    // The printer file manager (menu "Printer Files ..." and "files"): shown until closed. A
    // user interface that cannot show it (no display) ends the run with exit code 3.
    int ShowPrinterFiles();
    FilesContext FileManagerContext();

    // Compares the printer with the configuration in memory; every difference is logged as
    // "verify" logs it and handed to `differences`. Returns 1 when the verification passed.
    int VerifyConfiguration(const VerifyDifferenceSink& differences);
    // The window's Verify command: logs as "verify" does, but instead of one box per differing
    // setting shows them all in one table when it ends; a passed verification is boxed as well.
    // Returns 1 when the verification passed.
    int VerifyInWindow();

    // Told of logged errors, differences, firmware identifiers and serial numbers as the run goes
    // on; null for none.
    void SetRunObserver(RunObserver* observer) { runObserver_ = observer; }

    // Command-line actions.
    int CmdVerify() override;
    void CmdWriteFile(const std::string& path) override;
    void CmdReset() override;
    void CmdAutoBaud() override;
    void CmdPortSetup(const std::string& settings) override;
    void CmdHandshake(const std::string& kind) override;
    void CmdMap(const std::string& path) override;
    int CmdIsFw(const std::string& firmwareId) override;
    int CmdIsFwr(const std::string& firmwareId) override;
    void CmdMapLock(const std::string& path) override;
    void CmdDelay(int32_t milliseconds) override;
    void CmdOptsLock(const std::string& path) override;
    void CmdReadFile(const std::string& path) override;
    void CmdSer(const std::string& serialNumber) override;
    void CmdGtSer(const std::string& serialNumber) override;
    void CmdManu(const std::string& manufactureId) override;
    void CmdDesc(const std::string& description) override;
    void CmdReadCfg() override;
    void CmdWriteCfg() override;
    void CmdPort(const std::string& portName) override;
    void CmdSilent(int silentMode) override;
    void CmdFlash(const std::string& bootFilePrefix) override;
    void CmdFlashBaud(const std::string& baud) override;
    void CmdFiles() override;
    void CmdExit() override;
    void CmdConfigFile(const std::string& path) override;

private:
    void ReadPortName();
    void SavePortName();
    int ShowBox(std::string_view caption, const std::string& text);
    // Holds back the boxes of difference reports while it lives.
    class DifferenceBoxHold;

    // Counts a printer operation for as long as it runs.
    class PrinterOperation {
    public:
        explicit PrinterOperation(CVarnelApp& app) : app_(app) { ++app_.printerOperations_; }
        ~PrinterOperation() { --app_.printerOperations_; }
        PrinterOperation(const PrinterOperation&) = delete;
        PrinterOperation& operator=(const PrinterOperation&) = delete;

    private:
        CVarnelApp& app_;
    };

    struct SavedProbeState {
        int silentMode;
        int logSuspended;
    };

    SettingsStore& store_;
    Clock& clock_;
    UserInterface& ui_;
    MonitorNotifier* monitor_;
    MainWindowPort* mainWindow_ = nullptr;
    OperationMonitor* operationMonitor_ = nullptr;
    RunObserver* runObserver_ = nullptr;
    FileManagerState filesState_;

    ConfigModel model_;
    CVarnelDoc doc_{model_, ui_, *this, *this};
    RunState state_;
    // Counted on the operation's thread, asked on the window's.
    std::atomic<int> printerOperations_ = 0;
    // The options model whose lookup failed, while the model has not changed since.
    std::optional<std::string> failedOptionsLookup_;
    std::string preInitSequence_;
    // The start directory, kept apart from the model: the help page is found from it while a
    // printer operation owns the model.
    std::string startDirectory_;
    std::vector<SavedProbeState> probeStack_;
    std::function<std::string()> timeStamp_;
    // While non-zero, difference reports are logged but not boxed.
    int differenceBoxesHeld_ = 0;
    bool started_ = false;
    bool shutDown_ = false;
    // Last, so it goes first: closing it may still report through the members above.
    std::unique_ptr<IOComm> port_;
};

}  // namespace varnel
