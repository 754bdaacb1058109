#pragma once

#include <string>
#include <string_view>

namespace varnel {

// Appends one record line to the file at `path`, created when missing, in a single write to a
// descriptor opened for appending: runs that share the file at the same time never lose or
// interleave each other's lines. False with the reason in `problem` when it could not.
bool AppendRunRecordLine(const std::string& path, std::string_view line, std::string& problem);

}  // namespace varnel
