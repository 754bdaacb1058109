// The varnel program: the Qt application when a display is reachable, else the same command line
// run headless.
#include <QApplication>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/CVarnelApp.h"
#include "app/CommandLine.h"
#include "app/HeadlessUserInterface.h"
#include "app/ProgramOptions.h"
#include "app/RunRecord.h"
#include "app/RunRecordFile.h"
#include "app/RunRecorder.h"
#include "app/StrictExit.h"
#include "base/Clock.h"
#include "base/ExitRequest.h"
#include "io/FileSettingsStore.h"
#include "ui/CPrinterFilesDlg.h"
#include "ui/DbusMonitorNotifier.h"
#include "ui/Display.h"
#include "ui/MainWindowRunner.h"
#include "ui/QtClock.h"
#include "ui/QtUserInterface.h"

namespace {

using namespace varnel;

constexpr std::string_view kMainWindowNeedsDisplay =
    "the main window cannot open (use \"exit\" as the last parameter to run without it)";
constexpr int kExitBadOption = 2;

// One run of the application object: start-up, the command line, then the main window unless the
// run ends before it. Every way out, an exit code thrown by an action included, passes through
// the application object's destructor, which saves the port name and writes the end entry.
// With a record, the recorder goes just before it and has seen everything but that shutdown.
int RunApplication(UserInterface& ui, Clock& clock,
                   const std::vector<std::string>& parameters, RunRecord* record,
                   const std::function<int(CVarnelApp&)>& openMainWindow) {
    FileSettingsStore store(DefaultSettingsPath());
    DbusMonitorNotifier monitor;
    CVarnelApp app(store, clock, ui, &monitor);
    std::optional<RunRecorder> recorder;
    if (record) recorder.emplace(app, *record);
    app.Startup();
    if (std::optional<int> exitCode = app.RunCommandLine(parameters)) return *exitCode;
    try {
        return openMainWindow(app);
    } catch (const ExitRequest& request) {
        return request.exitCode;
    }
}

int RunWithDisplay(int& argc, char** argv, const std::vector<std::string>& parameters, RunRecord* record) {
    ExitOnFatalQtMessage();
    QApplication qapp(argc, argv);
    RestoreQtMessageHandling();
    QtUserInterface ui;
    // Waits of printer operations keep the window painted.
    QtClock clock;
    return RunApplication(ui, clock, parameters, record,
                          [&qapp](CVarnelApp& app) { return RunMainWindow(app, qapp); });
}

int RunHeadless(const std::vector<std::string>& parameters, RunRecord* record, const std::string& unansweredDisplay) {
    // A display that does not answer must not be tried again behind our back: without a session
    // bus address, the status monitor's D-Bus library would try to start a bus through it (and
    // fail, leaking what it allocated for the attempt).
    if (!unansweredDisplay.empty()) ::unsetenv("DISPLAY");
    HeadlessUserInterface ui(STDERR_FILENO, unansweredDisplay);
    SystemClock clock;
    return RunApplication(ui, clock, parameters, record, [&ui](CVarnelApp&) {
        ui.WriteLine(ui.NoDisplayText(kMainWindowNeedsDisplay));
        return kExitNoDisplay;
    });
}

// Qt is asked for the display only once it is known to answer; a run that needs no window works
// without one, whatever DISPLAY holds.
int Run(int& argc, char** argv, const std::vector<std::string>& parameters, RunRecord* record) {
    const DisplayProbe display = ProbeDisplay();
    if (display.available) return RunWithDisplay(argc, argv, parameters, record);
    return RunHeadless(parameters, record, display.unanswered);
}

// The run with its record kept: appended to the record file, when there is one, once the run has
// ended, whichever way it ended; under --strict its failures decide the exit code. A record that
// cannot be written is said on standard error and leaves the exit code as the run made it.
int RunRecorded(int& argc, char** argv, const ProgramOptions& options) {
    RunRecord record;
    record.start = std::chrono::system_clock::now();
    record.host = HostName();
    record.parameters = options.parameters;
    record.exitCode = Run(argc, argv, options.parameters, &record);
    if (options.strict) record.exitCode = StrictExitCode(record);
    record.end = std::chrono::system_clock::now();
    const std::string& path = options.recordPath;
    std::string problem;
    if (!path.empty() && !AppendRunRecordLine(path, RunRecordLine(record), problem))
        std::cerr << "varnel: the run record could not be appended to " << path << ": " << problem << '\n';
    return record.exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader of standard error that has gone (`2>&1 | head -1`) must not end the run before
    // its shutdown: the log's end entry, the port name and the record would be lost. A write
    // to it then fails with EPIPE instead, which nothing here depends on.
    std::signal(SIGPIPE, SIG_IGN);
    // Taken before Qt sees them: every argument belongs to the command line of the program.
    const ProgramOptions options = ParseProgramOptions(std::vector<std::string>(argv + 1, argv + argc),
                                                       {std::getenv(kRecordEnvironment), std::getenv(kStrictEnvironment)});
    if (!options.problem.empty()) {
        std::cerr << "varnel: " << options.problem << '\n';
        return kExitBadOption;
    }
    if (options.help) {
        std::cout << UsageText();
        return kExitOk;
    }
    if (options.version) {
        std::cout << kVersionText << '\n';
        return kExitOk;
    }
    // The record file is opened before the printer is touched: a run whose record could not be
    // kept does not run at all.
    std::string problem;
    if (!options.recordPath.empty() && !CanAppendRunRecord(options.recordPath, problem)) {
        std::cerr << "varnel: the run record file " << options.recordPath << " cannot be opened: " << problem << '\n';
        return kExitBadOption;
    }
    if (options.recordPath.empty() && !options.strict) return Run(argc, argv, options.parameters, nullptr);
    return RunRecorded(argc, argv, options);
}
