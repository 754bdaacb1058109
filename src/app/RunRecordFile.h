#pragma once

#include <string>
#include <string_view>

namespace varnel {

// Appends one record line to the file at `path`, created when missing, in a single write under
// an exclusive lock: runs that share the file at the same time never lose or interleave each
// other's lines. A line that cannot be written whole is taken back, and a line an earlier run
// left unfinished is ended first, so every line stays readable. False with the reason in
// `problem` when it could not.
bool AppendRunRecordLine(const std::string& path, std::string_view line, std::string& problem);

// Opens the file at `path` for appending, created when missing, and closes it again: a run checks
// with it that its record can be kept before it touches a printer. False with the reason in
// `problem` when it cannot.
bool CanAppendRunRecord(const std::string& path, std::string& problem);

}  // namespace varnel
