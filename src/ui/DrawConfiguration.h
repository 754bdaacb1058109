#pragma once

#include <string_view>

namespace varnel {

class Reporter;
class ViewPainter;
struct ConfigModel;

// Layout of the configuration listing, in pixels.
inline constexpr int kViewLineHeight = 16;
inline constexpr int kViewSecondColumnX = 410;
inline constexpr int kViewSecondColumnFromY = 580;
inline constexpr int kViewSeparatorX = 400;
inline constexpr int kViewScrollWidth = 900;
inline constexpr int kViewMinScrollHeight = 500;
inline constexpr int kViewScrollMargin = 50;
inline constexpr int kViewNoticeX = 50;
inline constexpr int kViewNoticeY = 50;
inline constexpr int kViewMaxGroups = 20;

inline constexpr std::string_view kNoFileLoadedNotice = "---- No File Loaded ----";
inline constexpr std::string_view kNoOptionsFileNotice = "Cannot locate Options (.OPT) file.";

// True while the options table holds fewer than four entries: the listing then has to find
// its options file first.
bool OptionsMissing(const ConfigModel& model);

// Draws the loaded configuration by groups. May load the options file of the configured model
// (which may report, or end the process through ExitRequest). Returns 0 when it only drew a
// notice, 1 otherwise.
int DrawConfiguration(ConfigModel& model, Reporter& reporter, ViewPainter& painter);

}  // namespace varnel
