#pragma once

#include <string>
#include <string_view>

namespace varnel {

// Whether a name sent by the printer may name a file in the current directory: not empty, not
// "." or "..", no "/" and no control characters. Anything else could write outside it.
bool IsSafeLocalFileName(std::string_view name);

// Whether something of that name is in the current directory; a link that leads nowhere counts.
bool LocalFileExists(const std::string& name);

// The printer-side name of a local file: the part of the path after its last "/".
std::string PrinterNameOfPath(std::string_view path);

}  // namespace varnel
