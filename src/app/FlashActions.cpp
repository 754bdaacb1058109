// The firmware update reached from the command line ("flash:") and the toolbar.
#include "app/FlashActions.h"

#include <memory>

#include "app/CVarnelApp.h"
#include "flash/UpdateFirmware.h"
#include "io/IOComm.h"

namespace varnel {

namespace {

// The update's private port: its own object on the platform's ports, reporting like the rest.
FlashContext ContextOf(CVarnelApp& app) {
    return FlashContext{app.model(), app, app.clock(), app.ui(), [&app] {
                            return std::make_unique<IOComm>(app.store(), app.clock(), app, MakeSystemPortBackend(),
                                                            &app.ui());
                        }};
}

}  // namespace

int FlashFirmwareInteractive(CVarnelApp& app) {
    return UpdateFirmware(ContextOf(app), "", false);
}

int CVarnelApp::RunFirmwareUpdate() {
    PrinterOperation operation(*this);
    return FlashFirmwareInteractive(*this);
}

void CVarnelApp::CmdFlash(const std::string& bootFilePrefix) {
    UpdateFirmware(ContextOf(*this), bootFilePrefix, true);
}

}  // namespace varnel
