#include "flash/FlashProgress.h"

#include <algorithm>
#include <cstdio>

#include "base/Clock.h"
#include "base/Reporter.h"
#include "base/UserInterface.h"

namespace varnel {

namespace {

constexpr int64_t kProgressIntervalMs = 250;
constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kFullPercent = 100;
// Bytes handed to the port's buffers in the first moments say nothing about the line's rate;
// a rate is shown once the stream has run this long.
constexpr int64_t kMinRateIntervalMs = 1000;
constexpr int64_t kBytesPerKilobyte = 1024;
constexpr int64_t kBytesPerMegabyte = kBytesPerKilobyte * kBytesPerKilobyte;
constexpr int64_t kTenths = 10;
constexpr int64_t kCountdownStepMs = 1000;

std::string Formatted(const char* format, long long first, long long second = 0) {
    char text[64];
    int length = std::snprintf(text, sizeof text, format, first, second);
    return std::string(text, static_cast<size_t>(std::max(length, 0)));
}

// One decimal, rounded, computed in whole numbers: the locale's decimal comma stays out of it.
std::string InUnits(int64_t bytesPerSecond, int64_t unit, const char* name) {
    int64_t tenths = (bytesPerSecond * kTenths + unit / 2) / unit;
    return Formatted("%lld.%lld ", tenths / kTenths, tenths % kTenths) + name;
}

int Percent(int64_t sentBytes, int64_t totalBytes) {
    return static_cast<int>(totalBytes > 0 ? sentBytes * kFullPercent / totalBytes : kFullPercent);
}

}  // namespace

FlashProgress::FlashProgress(Reporter& reporter, Clock& clock, UserInterface& ui, const FlashDialogTexts* dialogTexts,
                             int64_t totalBytes)
    : reporter_(reporter), clock_(clock), ui_(ui), dialogTexts_(dialogTexts), totalBytes_(totalBytes),
      startMs_(clock.NowMs()) {
    Update(0);
}

FlashProgress::~FlashProgress() {
    if (dialogTexts_) ui_.ShowFlashProgress(*dialogTexts_, FlashProgressView{FlashProgressView::Stage::Finished, 0, {}});
}

void FlashProgress::Update(int64_t sentBytes) {
    int64_t now = clock_.NowMs();
    bool finished = sentBytes >= totalBytes_;
    if (!finished && lastShownMs_ >= 0 && now - lastShownMs_ < kProgressIntervalMs) return;
    lastShownMs_ = now;
    Show(FlashProgressView::Stage::Streaming, Percent(sentBytes, totalBytes_), Text(sentBytes, totalBytes_, now - startMs_));
}

void FlashProgress::WaitForRestart(int64_t ms) {
    for (int64_t left = ms; left > 0;) {
        Show(FlashProgressView::Stage::Restarting, static_cast<int>(kFullPercent), RestartText(left));
        int64_t step = std::min(left, kCountdownStepMs);
        clock_.Sleep(step);
        left -= step;
    }
}

void FlashProgress::Show(FlashProgressView::Stage stage, int percent, const std::string& text) {
    reporter_.ShowStatus(text, event::kFlashUpdated);
    if (dialogTexts_) ui_.ShowFlashProgress(*dialogTexts_, FlashProgressView{stage, percent, text});
}

std::string FlashProgress::Text(int64_t sentBytes, int64_t totalBytes, int64_t elapsedMs) {
    std::string text = Formatted("Flashing: %lld of %lld bytes", sentBytes, totalBytes) +
                       Formatted(" (%lld%%)", Percent(sentBytes, totalBytes));
    std::string rate = RateText(sentBytes, elapsedMs);
    if (!rate.empty()) text += ", " + rate;
    return text;
}

std::string FlashProgress::RateText(int64_t bytes, int64_t elapsedMs) {
    if (elapsedMs < kMinRateIntervalMs) return {};
    int64_t bytesPerSecond = bytes * kMsPerSecond / elapsedMs;
    if (bytesPerSecond < kBytesPerKilobyte) return Formatted("%lld bytes/s", bytesPerSecond);
    if (bytesPerSecond < kBytesPerMegabyte) return InUnits(bytesPerSecond, kBytesPerKilobyte, "KB/s");
    return InUnits(bytesPerSecond, kBytesPerMegabyte, "MB/s");
}

std::string FlashProgress::RestartText(int64_t remainingMs) {
    int64_t seconds = (std::max<int64_t>(remainingMs, 0) + kMsPerSecond - 1) / kMsPerSecond;
    return Formatted("Waiting for the printer to restart: %lld s", seconds);
}

}  // namespace varnel
