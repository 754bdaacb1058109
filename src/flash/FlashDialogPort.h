#pragma once

#include <string>

namespace varnel {

// The six texts the firmware-flash dialog shows, read-only.
struct FlashDialogTexts {
    std::string bootLoaderRev;
    std::string firmwareRev;
    std::string firmwareId;
    std::string flashId;
    std::string fileSelected;
    std::string fileRev;
};

// How the user ended the dialog.
enum class FlashChoice {
    Flash,       // OK: flash the file shown (or choose one when none was found)
    Cancel,
    ExitBoot,    // "EXIT BOOT": leave boot mode without flashing
    SelectFile,  // "SELECT FILE": choose another boot file, then flash it
};

// The firmware-flash dialog as the update sees it. The Qt layer shows a real dialog; without a
// display there is none and the interactive update counts as cancelled.
class FlashDialogPort {
public:
    virtual ~FlashDialogPort() = default;
    virtual FlashChoice ShowFlashDialog(const FlashDialogTexts& texts) = 0;
};

}  // namespace varnel
