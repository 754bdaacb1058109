// The firmware update reached from the command line ("flash:") and the toolbar.
#include "app/FlashActions.h"

#include <memory>

#include "app/CVarnelApp.h"
#include "flash/UpdateFirmware.h"
#include "io/IOComm.h"

namespace varnel {

namespace {

// The update's private port: its own object on the platform's ports, reporting like the rest.
FlashContext ContextOf(CVarnelApp& app, FlashDialogPort* dialog) {
    return FlashContext{app.model(), app, app.clock(), app.ui(), dialog, [&app] {
                            return std::make_unique<IOComm>(app.store(), app.clock(), app, MakeSystemPortBackend(),
                                                            &app.ui());
                        }};
}

}  // namespace

int FlashFirmwareInteractive(CVarnelApp& app, FlashDialogPort* dialog) {
    return UpdateFirmware(ContextOf(app, dialog), "", false);
}

int CVarnelApp::RunFirmwareUpdate(FlashDialogPort* dialog) {
    PrinterOperation operation(*this);
    return FlashFirmwareInteractive(*this, dialog);
}

void CVarnelApp::CmdFlash(const std::string& bootFilePrefix) {
    UpdateFirmware(ContextOf(*this, nullptr), bootFilePrefix, true);
}

}  // namespace varnel
