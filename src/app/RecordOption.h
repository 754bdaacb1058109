#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

inline constexpr std::string_view kRecordOption = "--record";
// For scripts that cannot change the command line; the option wins over it.
inline constexpr const char* kRecordEnvironment = "VARNEL_RECORD";

struct RecordRequest {
    std::string path;     // where the run's record goes; empty for none
    std::string problem;  // set when the option is given without a file
};

// Takes "--record FILE" and "--record=FILE" out of the parameters, before any keyword is looked
// at, so no keyword changes meaning; the last one wins. Without the option the record goes where
// `environment` (the value of VARNEL_RECORD, null when unset) says. A relative path is taken
// from the working folder at start.
RecordRequest TakeRecordOption(std::vector<std::string>& parameters, const char* environment);

}  // namespace varnel
