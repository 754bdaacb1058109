#pragma once

#include <functional>

#include "MainWindowInput.h"
#include "app/CVarnelApp.h"
#include "support/RecordingUserInterface.h"
#include "ui/CMainFrame.h"
#include "ui/CPrinterFilesDlg.h"

namespace varnel::test {

// How the main window fared around the Printer Files dialog: hidden while it was shown, and shown
// again after it closed.
struct PrinterFilesRun {
    bool hiddenWhileShown = false;
    bool visibleAfter = false;
};

// Printer -> Printer Files ... in a shown main window of `app`; `act` works the dialog and must
// close it. A recording user interface shows the Qt dialog as the window's own would.
inline PrinterFilesRun RunPrinterFilesCommand(CVarnelApp& app, const std::function<void(CPrinterFilesDlg&)>& act) {
    if (auto* recording = dynamic_cast<RecordingUserInterface*>(&app.ui())) recording->printerFilesDialog = RunPrinterFilesDialog;
    CMainFrame frame(app);
    ShowActive(frame);
    PrinterFilesRun run;
    // Armed once the menu shows, so that it takes the dialog the click opens.
    ClickMenuItem(frame, QStringLiteral("&Printer"), QStringLiteral("Printer Files ..."), [&] {
        WhenShown<CPrinterFilesDlg>([&](CPrinterFilesDlg& dialog) {
            run.hiddenWhileShown = !frame.isVisible();
            act(dialog);
        });
    });
    run.visibleAfter = frame.isVisible();
    return run;
}

}  // namespace varnel::test
