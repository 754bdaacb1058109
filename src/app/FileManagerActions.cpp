// The printer file manager reached from the command line ("files") and the Printer menu.
#include <memory>

#include "app/CVarnelApp.h"
#include "app/SelectPortCommand.h"
#include "base/ExitRequest.h"
#include "base/UserInterface.h"
#include "files/PrinterFileManager.h"

namespace varnel {

FilesContext CVarnelApp::FileManagerContext() {
    return FilesContext{model_, *port_, *this, clock_, filesState_};
}

int CVarnelApp::ShowPrinterFiles() {
    // The file manager is a dialog and nothing else; a run that cannot show it ends the way a
    // run that cannot show the main window does.
    const PrinterFilesOpener open = [this](PrinterFilesView& view) {
        return std::make_unique<PrinterFileManager>(FileManagerContext(), view, [this] { SelectPort(*this); });
    };
    // A user interface that cannot show it has said why.
    if (!ui_.ShowPrinterFiles(open)) throw ExitRequest{kExitNoDisplay};
    return 1;
}

int CVarnelApp::RunPrinterFiles() {
    PrinterOperation operation(*this);
    return ShowPrinterFiles();
}

}  // namespace varnel
