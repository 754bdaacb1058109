#pragma once

#include <cstdint>
#include <string>

namespace varnel {

class Clock;
class Reporter;

// Progress of the boot file stream on the status line and the status monitor: bytes sent, of
// how many, percent and rate, at most a few times a second so a fast link is not slowed by its
// own progress reports.
class FlashProgress {
public:
    FlashProgress(Reporter& reporter, Clock& clock, int64_t totalBytes);

    // `sentBytes` so far; shown when the last text is old enough, and always at the end.
    void Update(int64_t sentBytes);

    static std::string Text(int64_t sentBytes, int64_t totalBytes, int64_t elapsedMs);

private:
    Reporter& reporter_;
    Clock& clock_;
    int64_t totalBytes_;
    int64_t startMs_;
    int64_t lastShownMs_ = -1;
};

}  // namespace varnel
