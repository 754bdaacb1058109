// The varnel program: the Qt application when a display is reachable, else the same command line
// run headless.
#include <QApplication>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/CVarnelApp.h"
#include "app/CommandLine.h"
#include "app/HeadlessUserInterface.h"
#include "app/RecordOption.h"
#include "app/RunRecord.h"
#include "app/RunRecordFile.h"
#include "app/RunRecorder.h"
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

constexpr const char* kNoDisplayText =
    "varnel: no display available; the main window cannot open (use \"exit\" as the last parameter to run "
    "without it)";
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
    QApplication qapp(argc, argv);
    QtUserInterface ui;
    // Waits of printer operations keep the window painted.
    QtClock clock;
    return RunApplication(ui, clock, parameters, record,
                          [&qapp](CVarnelApp& app) { return RunMainWindow(app, qapp); });
}

int RunHeadless(const std::vector<std::string>& parameters, RunRecord* record) {
    HeadlessUserInterface ui;
    SystemClock clock;
    return RunApplication(ui, clock, parameters, record, [&ui](CVarnelApp&) {
        ui.WriteLine(kNoDisplayText);
        return kExitNoDisplay;
    });
}

int Run(int& argc, char** argv, const std::vector<std::string>& parameters, RunRecord* record) {
    if (DisplayAvailable()) return RunWithDisplay(argc, argv, parameters, record);
    return RunHeadless(parameters, record);
}

// The run with its record appended to `path` once it has ended, whichever way it ended. A record
// that cannot be written is said on standard error and leaves the exit code as the run made it.
int RunRecorded(int& argc, char** argv, const std::vector<std::string>& parameters, const std::string& path) {
    RunRecord record;
    record.start = std::chrono::system_clock::now();
    record.host = HostName();
    record.parameters = parameters;
    record.exitCode = Run(argc, argv, parameters, &record);
    record.end = std::chrono::system_clock::now();
    std::string problem;
    if (!AppendRunRecordLine(path, RunRecordLine(record), problem))
        std::cerr << "varnel: the run record could not be appended to " << path << ": " << problem << '\n';
    return record.exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader of standard error that has gone (`2>&1 | head -1`) must not end the run before
    // its shutdown: the log's end entry, the port name and the record would be lost. A write
    // to it then fails with EPIPE instead, which nothing here depends on.
    std::signal(SIGPIPE, SIG_IGN);
    // Taken before Qt sees them: every parameter belongs to the command line of the program.
    std::vector<std::string> parameters(argv + 1, argv + argc);
    const RecordRequest recordRequest = TakeRecordOption(parameters, std::getenv(kRecordEnvironment));
    if (!recordRequest.problem.empty()) {
        std::cerr << "varnel: " << recordRequest.problem << '\n';
        return kExitBadOption;
    }
    switch (FindProgramOption(parameters)) {
    case ProgramOption::Help:
        std::cout << UsageText();
        return kExitOk;
    case ProgramOption::Version:
        std::cout << kVersionText << '\n';
        return kExitOk;
    case ProgramOption::None:
        break;
    }
    if (!recordRequest.path.empty()) return RunRecorded(argc, argv, parameters, recordRequest.path);
    return Run(argc, argv, parameters, nullptr);
}
