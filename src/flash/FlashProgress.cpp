#include "flash/FlashProgress.h"

#include <cstdio>

#include "base/Clock.h"
#include "base/Reporter.h"

namespace varnel {

namespace {
constexpr int64_t kProgressIntervalMs = 250;
constexpr int64_t kMsPerSecond = 1000;
}  // namespace

FlashProgress::FlashProgress(Reporter& reporter, Clock& clock, int64_t totalBytes)
    : reporter_(reporter), clock_(clock), totalBytes_(totalBytes), startMs_(clock.NowMs()) {}

void FlashProgress::Update(int64_t sentBytes) {
    int64_t now = clock_.NowMs();
    bool finished = sentBytes >= totalBytes_;
    if (!finished && lastShownMs_ >= 0 && now - lastShownMs_ < kProgressIntervalMs) return;
    lastShownMs_ = now;
    reporter_.ShowStatus(Text(sentBytes, totalBytes_, now - startMs_), event::kFlashUpdated);
}

std::string FlashProgress::Text(int64_t sentBytes, int64_t totalBytes, int64_t elapsedMs) {
    int64_t percent = totalBytes > 0 ? sentBytes * 100 / totalBytes : 100;
    char text[128];
    int length = std::snprintf(text, sizeof text, "Flashing: %lld of %lld bytes (%lld%%)",
                               static_cast<long long>(sentBytes), static_cast<long long>(totalBytes),
                               static_cast<long long>(percent));
    std::string result(text, static_cast<size_t>(length));
    if (elapsedMs > 0) {
        long long rate = static_cast<long long>(sentBytes * kMsPerSecond / elapsedMs);
        length = std::snprintf(text, sizeof text, ", %lld bytes/s", rate);
        result.append(text, static_cast<size_t>(length));
    }
    return result;
}

}  // namespace varnel
