// The varnel program: the Qt application when a display is reachable, else the same command line
// run headless.
#include <QApplication>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/CVarnelApp.h"
#include "app/CommandLine.h"
#include "app/HeadlessUserInterface.h"
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

// One run of the application object: start-up, the command line, then the main window unless the
// run ends before it. Every way out, an exit code thrown by an action included, passes through
// the application object's destructor, which saves the port name and writes the end entry.
int RunApplication(UserInterface& ui, Clock& clock, QtPrinterFilesDialog* filesDialog,
                   const std::vector<std::string>& parameters, const std::function<int(CVarnelApp&)>& openMainWindow) {
    FileSettingsStore store(DefaultSettingsPath());
    DbusMonitorNotifier monitor;
    CVarnelApp app(store, clock, ui, &monitor);
    if (filesDialog) filesDialog->AttachTo(app);
    app.Startup();
    if (std::optional<int> exitCode = app.RunCommandLine(parameters)) return *exitCode;
    try {
        return openMainWindow(app);
    } catch (const ExitRequest& request) {
        return request.exitCode;
    }
}

int RunWithDisplay(int& argc, char** argv, const std::vector<std::string>& parameters) {
    QApplication qapp(argc, argv);
    QtUserInterface ui;
    // Waits of printer operations keep the window painted.
    QtClock clock;
    QtPrinterFilesDialog filesDialog;
    return RunApplication(ui, clock, &filesDialog, parameters, [&qapp](CVarnelApp& app) { return RunMainWindow(app, qapp); });
}

int RunHeadless(const std::vector<std::string>& parameters) {
    HeadlessUserInterface ui;
    SystemClock clock;
    return RunApplication(ui, clock, nullptr, parameters, [&ui](CVarnelApp&) {
        ui.WriteLine(kNoDisplayText);
        return kExitNoDisplay;
    });
}

}  // namespace

int main(int argc, char** argv) {
    // Taken before Qt sees them: every parameter belongs to the command line of the program.
    std::vector<std::string> parameters(argv + 1, argv + argc);
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
    if (DisplayAvailable()) return RunWithDisplay(argc, argv, parameters);
    return RunHeadless(parameters);
}
