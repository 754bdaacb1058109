#include "app/CVarnelApp.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "app/CommandLine.h"
#include "app/HelpPage.h"
#include "app/Log.h"
#include "base/OperationMonitor.h"
#include "app/RunObserver.h"
#include "base/Clock.h"
#include "base/ExitRequest.h"
#include "base/MonitorNotifier.h"
#include "base/UserInterface.h"
#include "io/ClosePortOnFailure.h"
#include "io/IOComm.h"
#include "io/SettingsStore.h"
#include "model/SettingNames.h"

namespace varnel {
namespace {

constexpr std::string_view kTitleMiddle = " - Varnel  Port: [";
constexpr std::string_view kTitleEnd = "]";
constexpr std::string_view kExitingText = "Exiting Printer Configuration.";
constexpr int kQuietSilentMode = 1;

std::string CurrentDirectory() {
    std::vector<char> buffer(256);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

}  // namespace

CVarnelApp::CVarnelApp(SettingsStore& store, Clock& clock, UserInterface& ui, MonitorNotifier* monitor,
                       std::unique_ptr<PortBackend> portBackend)
    : store_(store), clock_(clock), ui_(ui), monitor_(monitor), timeStamp_(CurrentTimeStamp) {
    if (!portBackend) portBackend = MakeSystemPortBackend();
    port_ = std::make_unique<IOComm>(store_, clock_, *this, std::move(portBackend), &ui_);
}

CVarnelApp::~CVarnelApp() {
    try {
        Shutdown();
        port_.reset();
    } catch (...) {
        // A destructor must not throw; the shutdown's writes are best effort like every report.
    }
}

ProtocolContext CVarnelApp::Context() {
    return ProtocolContext{model_, *port_, *this, clock_, ui_, *this, preInitSequence_, doc_};
}

int CVarnelApp::ClosePortOnFailure(int result) { return varnel::ClosePortOnFailure(*port_, *this, result); }

void CVarnelApp::Startup() {
    started_ = true;
    ReadPortName();
    model_.startDirectory = CurrentDirectory();
    startDirectory_ = model_.startDirectory;
    WriteLog(StartBlockText(timeStamp_()));
    UpdateTitle();
    SetFlashButtonVisible(false);
}

std::optional<int> CVarnelApp::RunCommandLine(const std::vector<std::string>& parameters) {
    try {
        DispatchCommandLine(*this, parameters, runObserver_);
    } catch (const ExitRequest& request) {
        return request.exitCode;
    }
    if (state_.exitRequested) return kExitOk;
    return std::nullopt;
}

void CVarnelApp::Shutdown() {
    if (!started_ || shutDown_) return;
    shutDown_ = true;
    SavePortName();
    WriteLog(EndEntryText(timeStamp_()));
}

void CVarnelApp::ReadPortName() {
    std::optional<RegValue> value = store_.GetValue(kPortSettingsKey, kPortNameValue);
    if (!value || value->type != RegType::String) return;
    // A value stored with its terminator still names the same port.
    std::string name = value->data.substr(0, value->data.find('\0'));
    if (name.size() > kMaxPortNameLength) return;
    model_.portName = name;
}

void CVarnelApp::SavePortName() {
    store_.SetValue(kPortSettingsKey, kPortNameValue, RegValue::String(model_.portName));
}

// ---- Reporting

int CVarnelApp::WriteLog(const std::string& text) {
    if (state_.logSuspended) return 1;
    AppendLogEntry(kLogFileName, text);
    return 1;
}

int CVarnelApp::ShowBox(std::string_view caption, const std::string& text) {
    return ui_.MessageBox(std::string(caption), text);
}

int CVarnelApp::ReportError(const std::string& text, int eventCode, int severity) {
    state_.errorReported = 1;
    WriteLog(std::string(kErrorEntryHead) + "\n" + text);
    if (runObserver_ && !state_.logSuspended) runObserver_->ErrorLogged(text);
    ShowStatus(std::string(kErrorEntryHead) + text, eventCode, severity);
    if (state_.silentMode == 2) return 1;
    return ShowBox(kErrorCaption, text);
}

int CVarnelApp::ReportMessage(const std::string& text, int eventCode, int severity) {
    WriteLog(std::string(kMessageEntryHead) + "\n" + text);
    ShowStatus(text, eventCode, severity);
    if (state_.silentMode != 0) return 0;
    if (differenceBoxesHeld_ && eventCode == event::kSettingNotWritten) return 0;
    return ShowBox(kMessageCaption, text);
}

int CVarnelApp::ReportPortFailure(const std::string& text) {
    if (runObserver_ && !state_.logSuspended) runObserver_->ErrorLogged(text);
    return ReportMessage(text, event::kGeneral, kSeverityMessage);
}

int CVarnelApp::ShowStatus(const std::string& text, int eventCode, int severity) {
    NotifyMonitor(text, eventCode, severity);
    // The user interface knows whether it has a status line: the main window's status bar
    // once it exists, a terminal line when headless.
    return ui_.SetStatusText(text) ? 1 : 0;
}

int CVarnelApp::NotifyMonitor(const std::string& text, int eventCode, int severity) {
    if (monitor_) monitor_->Notify(text, eventCode, severity);
    return 1;
}

void CVarnelApp::BeginQuietProbing() {
    probeStack_.push_back({state_.silentMode, state_.logSuspended});
    state_.logSuspended = 1;
    state_.silentMode = kQuietSilentMode;
}

void CVarnelApp::EndQuietProbing() {
    if (probeStack_.empty()) return;
    // Each probe puts back what it found, so a probe inside another keeps the outer one quiet.
    state_.silentMode = probeStack_.back().silentMode;
    state_.logSuspended = probeStack_.back().logSuspended;
    probeStack_.pop_back();
}

void CVarnelApp::ShowProgress(const std::string& step, int64_t done, int64_t total) {
    if (operationMonitor_) operationMonitor_->Progress(step, done, total);
}

bool CVarnelApp::CancelRequested() const { return operationMonitor_ && operationMonitor_->CancelRequested(); }

// ---- Window events

std::string CVarnelApp::WindowTitle() const {
    return model_.configFilePath + std::string(kTitleMiddle) + model_.portName + std::string(kTitleEnd);
}

void CVarnelApp::UpdateTitle() {
    if (mainWindow_) mainWindow_->UpdateTitle(WindowTitle());
}

void CVarnelApp::SetFlashButtonVisible(bool visible) {
    if (mainWindow_) mainWindow_->SetFlashButtonVisible(visible);
}

void CVarnelApp::InvalidateView() {
    // The model changed: an options file that was not found may be found now.
    failedOptionsLookup_.reset();
    if (mainWindow_) mainWindow_->Invalidate();
}

// ---- The interactive run

void CVarnelApp::OpenFirstDocument() {
    // A configuration read from the printer on the command line is not saved anywhere yet; the
    // first document keeps it instead of dropping it unseen.
    if (model_.modified) model_.keepSettingsOnNew = true;
    doc_.NewDocument();
    UpdateTitle();
    // A file read before the window existed could not show the flash button yet.
    const bool fileWithFirmwareId =
        !model_.configFilePath.empty() && FindSetting(model_.settings, kFirmwareIdName) >= 0;
    SetFlashButtonVisible(fileWithFirmwareId);
}

ViewSnapshot CVarnelApp::PrepareViewSnapshot() {
    // A failed search may leave another model's options in the table; the notice stays.
    if (failedOptionsLookup_ && *failedOptionsLookup_ == ListingOptionsModel(model_))
        return LayOutListing(model_, OptionsLookup::NotFound);
    const OptionsLookup lookup = LookUpListingOptions(model_, *this);
    failedOptionsLookup_.reset();
    if (lookup == OptionsLookup::NotFound) failedOptionsLookup_ = ListingOptionsModel(model_);
    return LayOutListing(model_, lookup);
}

bool CVarnelApp::QueryExit() {
    if (PrinterOperationRunning()) return false;
    return doc_.AskToSaveChanges();
}

int CVarnelApp::OpenHelpPage(const std::string& anchor) {
    // The user interface says so in a box, with the page's path, when the page cannot be shown.
    return ui_.OpenHelpPage(HelpPagePath(startDirectory_), anchor) ? 1 : 0;
}

void CVarnelApp::ShowAbout() { ui_.ShowAboutBox(); }

// ---- Command-line actions the application carries out itself

void CVarnelApp::CmdDelay(int32_t milliseconds) {
    model_.lockOverride = true;
    // A negative wait is no wait.
    clock_.Sleep(std::max<int32_t>(milliseconds, 0));
}

void CVarnelApp::CmdPort(const std::string& portName) {
    model_.portName = portName;
    UpdateTitle();
}

void CVarnelApp::CmdSilent(int silentMode) { state_.silentMode = silentMode; }

void CVarnelApp::CmdFlashBaud(const std::string& baud) { model_.flashBaud = baud; }

void CVarnelApp::CmdFiles() {
    ShowPrinterFiles();
    state_.exitRequested = 1;
}

void CVarnelApp::CmdExit() {
    ReportMessage(std::string(kExitingText), event::kExiting, kSeverityMessage);
    state_.exitRequested = 1;
}

}  // namespace varnel
