#pragma once

#include <string>

namespace varnel {

// The six texts the firmware dialog shows, read-only.
struct FlashDialogTexts {
    std::string bootLoaderRev;
    std::string firmwareRev;
    std::string firmwareId;
    std::string flashId;
    std::string fileSelected;
    std::string fileRev;
};

// How the user ended the firmware dialog.
enum class FlashChoice {
    Flash,       // OK: flash the file shown (or choose one when none was found)
    Cancel,
    ExitBoot,    // "EXIT BOOT": leave boot mode without flashing
    SelectFile,  // "SELECT FILE": choose another boot file, then flash it
};

// What the firmware dialog shows while no choice is to be made: first, while the boot loader is
// asked, the answers so far; once the user chose to flash, the stream's progress, then the
// printer's restart; then it closes.
struct FlashProgressView {
    enum class Stage { Asking, Streaming, Restarting, Finished };
    Stage stage = Stage::Streaming;
    int percent = 0;   // of the boot file sent
    std::string text;  // what is going on: the question asked, or as the status line shows the
                       // stream: bytes, percent and rate, or the wait left
};

}  // namespace varnel
