#pragma once

#include <functional>

#include "ShownDialog.h"
#include "app/CVarnelApp.h"
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
// close it.
inline PrinterFilesRun RunPrinterFilesCommand(CVarnelApp& app, const std::function<void(CPrinterFilesDlg&)>& act) {
    QtPrinterFilesDialog opener;
    opener.AttachTo(app);
    CMainFrame frame(app);
    frame.show();
    PrinterFilesRun run;
    WhenShown<CPrinterFilesDlg>([&](CPrinterFilesDlg& dialog) {
        run.hiddenWhileShown = !frame.isVisible();
        act(dialog);
    });
    frame.Command(kCmdPrinterFiles)->trigger();
    run.visibleAfter = frame.isVisible();
    return run;
}

}  // namespace varnel::test
