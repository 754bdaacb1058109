#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

inline constexpr std::string_view kRecordOption = "--record";
inline constexpr std::string_view kStrictOption = "--strict";
inline constexpr std::string_view kHelpOption = "--help";
inline constexpr std::string_view kVersionOption = "--version";
// A keyword of the command line that looks like an option: it and its file stay parameters.
inline constexpr std::string_view kOpenKeyword = "--open";
// Ends the options: every argument after it is a parameter, one that begins with "--" included.
inline constexpr std::string_view kEndOfOptions = "--";
// For scripts that cannot change the command line; the options win over them.
inline constexpr const char* kRecordEnvironment = "VARNEL_RECORD";
inline constexpr const char* kStrictEnvironment = "VARNEL_STRICT";

// The values of the environment variables above; null when unset.
struct OptionEnvironment {
    const char* record = nullptr;
    const char* strict = nullptr;
};

// The program's own options, taken out of its arguments before any keyword is looked at, so no
// keyword changes meaning. An argument that begins with "--" (before a "--" of its own) is an
// option wherever it stands; one "-" or "/" still starts a keyword.
struct ProgramOptions {
    bool help = false;
    bool version = false;
    // A run that would end with exit code 0 although something failed ends with exit code 4.
    bool strict = false;
    // Where the run's record goes, from the working folder at start; empty for none.
    std::string recordPath;
    // Wrong usage (an unknown option, "--record" without a file): said, and nothing runs.
    std::string problem;
    // The command line's own parameters, in order.
    std::vector<std::string> parameters;
};

// "--record FILE" and "--record=FILE" (the last one wins), "--strict", "--help", "--version".
ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments, OptionEnvironment environment);

}  // namespace varnel
