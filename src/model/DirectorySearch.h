#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// The names of the regular files in `directory` that match `pattern` ("*" any run of characters,
// "?" one character) without regard to case, in case-insensitive name order so that every
// machine visits them alike. The names are returned as they are on disk. A directory that cannot
// be read gives no names.
std::vector<std::string> ListMatchingFiles(const std::string& directory, std::string_view pattern);

// The same as paths: JoinPath of the directory and each name.
std::vector<std::string> ListMatchingPaths(const std::string& directory, std::string_view pattern);

// The same for a pattern that may start with a directory ("boot/RPD1_1*.bot"): the part up to the
// last "/" names the directory (the working directory when there is none), the rest is matched.
// The names are returned without the directory.
std::vector<std::string> ListFilesMatchingPath(std::string_view pathPattern);

// Wildcard match of a file name, ASCII letters compared without regard to case.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// Orders names by their ASCII-lowercased bytes; names that differ only in case by their bytes.
bool NameLessIgnoringCase(std::string_view a, std::string_view b);

// The path of `name` in `directory`; the working directory (".", or empty) adds no prefix.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace varnel
