#pragma once

#include <cstddef>
#include <string>

namespace varnel {

class CVarnelApp;

// The Edit Comment command: the comment dialog, limited to what the configuration file's
// "File_Comment" line can hold. On OK the comment takes the edited text and the window is
// redrawn. Returns true on OK.
bool EditComment(CVarnelApp& app);

// `text` cut to at most `maxLength` bytes, and not inside a UTF-8 character.
std::string CutToLength(const std::string& text, size_t maxLength);

}  // namespace varnel
