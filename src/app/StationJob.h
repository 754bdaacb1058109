#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// One varnel run of a station's job: its keywords, in order, as on varnel's command line.
using StationRun = std::vector<std::string>;

// The keywords of one run written as a line: blanks separate them; double quotes keep blanks in
// one keyword ("desc:Store 12" written as "\"desc:Store 12\"" or desc:"Store 12"). Nullopt with
// `problem` set for an unclosed quote or a run without keywords.
std::optional<StationRun> SplitRunText(std::string_view text, std::string& problem);

// A job file: one run a line; "#" starts a comment, blank lines are skipped. Nullopt with
// `problem` naming the line for a line that cannot be split, or a file without any run.
std::optional<std::vector<StationRun>> ReadJobText(std::string_view text, std::string& problem);

// A run as one line again, quoting keywords that hold blanks, for displays and job files.
std::string RunText(const StationRun& run);

}  // namespace varnel
