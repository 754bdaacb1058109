#pragma once

#include <cstdint>
#include <string>

#include "base/FlashDialog.h"

namespace varnel {

class Clock;
class Reporter;
class UserInterface;

// Progress of the boot file stream and of the printer's restart after it, on the status line
// and the status monitor, and in the firmware dialog when the update shows one. The stream's
// texts go out at most a few times a second, so a fast link is not slowed by its own progress.
class FlashProgress {
public:
    // `dialogTexts`: what the firmware dialog shows; null when the update runs without it.
    FlashProgress(Reporter& reporter, Clock& clock, UserInterface& ui, const FlashDialogTexts* dialogTexts,
                  int64_t totalBytes);
    // Closes the dialog's progress, on every way out of the stream.
    ~FlashProgress();
    FlashProgress(const FlashProgress&) = delete;
    FlashProgress& operator=(const FlashProgress&) = delete;

    // `sentBytes` so far; shown when the last text is old enough, and always at the end.
    void Update(int64_t sentBytes);
    // The printer restarts on its own after the stream: waits `ms`, showing the time left
    // once a second.
    void WaitForRestart(int64_t ms);

    // "Flashing: 1000 of 2500 bytes (40%)", with the rate once it means something.
    static std::string Text(int64_t sentBytes, int64_t totalBytes, int64_t elapsedMs);
    // "850 bytes/s", "12.3 KB/s", "1.2 MB/s"; empty while `elapsedMs` is too short to tell.
    static std::string RateText(int64_t bytes, int64_t elapsedMs);
    // "Waiting for the printer to restart: 6 s", the seconds rounded up.
    static std::string RestartText(int64_t remainingMs);

private:
    void Show(FlashProgressView::Stage stage, int percent, const std::string& text);

    Reporter& reporter_;
    Clock& clock_;
    UserInterface& ui_;
    const FlashDialogTexts* dialogTexts_;
    int64_t totalBytes_;
    int64_t startMs_;
    int64_t lastShownMs_ = -1;
};

}  // namespace varnel
