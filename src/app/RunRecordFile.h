#pragma once

#include <string>
#include <string_view>

namespace varnel {

// Appends one record line to the file at `path`, created when missing, in a single write to a
// descriptor opened for appending: runs that share the file at the same time never lose or
// interleave each other's lines. False with the reason in `problem` when it could not.
bool AppendRunRecordLine(const std::string& path, std::string_view line, std::string& problem);

// Opens the file at `path` for appending, created when missing, and closes it again: a run checks
// with it that its record can be kept before it touches a printer. False with the reason in
// `problem` when it cannot.
bool CanAppendRunRecord(const std::string& path, std::string& problem);

}  // namespace varnel
