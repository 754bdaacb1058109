#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

class Reporter;
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
// Room kept free between a text that is cut and what follows it.
inline constexpr int kViewColumnGap = 6;

inline constexpr std::string_view kNoFileLoadedNotice = "---- No File Loaded ----";
inline constexpr std::string_view kNoOptionsFileNotice = "Cannot locate Options (.OPT) file.";

// The two fonts of the configuration listing.
enum class ViewFont { Header, Setting };

// One text of the listing. Its position is the top left of its line; a text wider than `width`
// is cut there, so it never runs into the next column.
struct ViewText {
    int x = 0;
    int y = 0;
    int width = 0;
    ViewFont font = ViewFont::Setting;
    std::string text;
    bool operator==(const ViewText&) const = default;
};

struct ViewLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    bool operator==(const ViewLine&) const = default;
};

struct ViewScrollArea {
    int width = 0;
    int height = 0;
    bool operator==(const ViewScrollArea&) const = default;
};

// Everything the configuration view shows, prepared before it paints: painting draws these and
// nothing else, so it never reads a file or reports.
struct ViewSnapshot {
    std::vector<ViewText> texts;
    std::vector<ViewLine> lines;
    // The size of the whole listing; none when only a notice is shown (the view keeps its size).
    std::optional<ViewScrollArea> scrollArea;
    // False when only a notice is shown.
    bool listing = false;

    // The first text equal to `text`, if any.
    const ViewText* Find(std::string_view text) const;
};

// True while the options table holds fewer than four entries: the listing has to find its
// options file first.
bool OptionsMissing(const ConfigModel& model);

// What finding the listing's options file came to.
enum class OptionsLookup { Found, NoModel, NotFound };

// The model whose options file the listing needs: `optionsModel`, else the map's "Model", else
// the configuration's "Model" setting. Empty when none names one.
std::string ListingOptionsModel(const ConfigModel& model);

// When the options table is missing: sets `optionsModel` (ListingOptionsModel) and loads that
// model's options file, which reports why it cannot. May end the process (ExitRequest) for an
// options file with a wrong lock value.
OptionsLookup LookUpListingOptions(ConfigModel& model, Reporter& reporter);

// The listing of the configuration by the groups of its options file, laid out; a notice alone
// when `lookup` found no options.
ViewSnapshot LayOutListing(const ConfigModel& model, OptionsLookup lookup);

}  // namespace varnel
