#pragma once

#include <string>
#include <string_view>

namespace varnel {

// Turns a file-dialog filter in the list form "Text|pattern|Text|pattern||" into the form the
// file choosers take ("Text (pattern);;Text (pattern)"). A text that already ends with its
// patterns in parentheses is kept as it is.
std::string QtFileFilter(std::string_view listFilter);

}  // namespace varnel
