#pragma once

namespace varnel {

class CVarnelApp;

// The toolbar's firmware-flash command: the interactive update with the firmware dialog of the
// application's user interface (headless it counts as cancelled). Returns the update's result,
// 1 done, 0 failed or cancelled.
int FlashFirmwareInteractive(CVarnelApp& app);

}  // namespace varnel
