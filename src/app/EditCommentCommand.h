#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace varnel {

class CVarnelApp;

// The Edit Comment command: the comment dialog, limited to what the configuration file's
// "File_Comment" line can hold. On OK the comment takes the edited text and the window is
// redrawn. Returns true on OK.
bool EditComment(CVarnelApp& app);

// The character a comment cannot hold: the file keeps the comment between two of them.
inline constexpr char kCommentQuote = '"';
inline constexpr const char* kCommentQuoteRefused =
    "A comment cannot hold a double quote (\"): the configuration file ends the comment there.";

// Why the comment dialog refuses `text`, or nothing when a file can hold it whole.
std::optional<std::string> CommentRefusal(const std::string& text, size_t maxLength);

// `text` cut to at most `maxLength` bytes, and not inside a UTF-8 character.
std::string CutToLength(const std::string& text, size_t maxLength);

}  // namespace varnel
