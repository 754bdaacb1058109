#pragma once

namespace varnel {

class CVarnelApp;
class FlashDialogPort;

// The toolbar's firmware-flash command: the interactive update with the window's flash dialog
// (none: the update counts as cancelled). Returns the update's result, 1 done, 0 failed or
// cancelled.
int FlashFirmwareInteractive(CVarnelApp& app, FlashDialogPort* dialog);

}  // namespace varnel
