#include "app/EditCommentCommand.h"

#include <optional>

#include "app/CVarnelApp.h"
#include "base/UserInterface.h"
#include "model/ConfigFileWriter.h"

namespace varnel {
namespace {

constexpr unsigned char kUtf8ContinuationMask = 0xC0;
constexpr unsigned char kUtf8Continuation = 0x80;
constexpr unsigned char kUtf8LeadMin = 0xC0;
constexpr int kMaxUtf8Continuations = 3;

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & kUtf8ContinuationMask) == kUtf8Continuation;
}

}  // namespace

std::string CutToLength(const std::string& text, size_t maxLength) {
    if (text.size() <= maxLength) return text;
    // A UTF-8 character the cut falls into goes whole; bytes that are no UTF-8 (a Windows-1252
    // text) are cut where the limit is.
    size_t cut = maxLength;
    for (int back = 0; back < kMaxUtf8Continuations && cut > 0 && IsUtf8Continuation(text[cut]); ++back) --cut;
    bool atCharacterStart = static_cast<unsigned char>(text[cut]) >= kUtf8LeadMin;
    if (cut < maxLength && !atCharacterStart) cut = maxLength;
    return text.substr(0, cut);
}

std::optional<std::string> CommentRefusal(const std::string& text, size_t maxLength) {
    if (text.find(kCommentQuote) != std::string::npos) return std::string(kCommentQuoteRefused);
    if (text.size() > maxLength)
        return "A comment holds at most " + std::to_string(maxLength) + " bytes in the configuration file.";
    return std::nullopt;
}

bool EditComment(CVarnelApp& app) {
    ConfigModel& model = app.model();
    const size_t maxLength = MaxFileCommentLength();
    // A comment read from elsewhere may be longer: the dialog shows what a save would keep.
    std::optional<std::string> edited = app.ui().EditComment(CutToLength(model.comment, maxLength), maxLength);
    if (!edited) return false;
    // The dialog keeps to the limit; a text that still passes it would be refused on saving.
    std::string comment = CutToLength(*edited, maxLength);
    if (comment.find(kCommentQuote) != std::string::npos) {
        app.ReportError(kCommentQuoteRefused, 0);
        return false;
    }
    if (comment != model.comment) model.modified = true;
    model.comment = std::move(comment);
    app.InvalidateView();
    return true;
}

}  // namespace varnel
