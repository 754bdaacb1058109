#pragma once

#include <string>
#include <string_view>

namespace varnel {

struct ConfigModel;
class ModelObserver;
class Reporter;

// Configuration files (.cfg) hold at most this many lines of at most kMaxConfigLineLength
// characters; a longer line is read as several.
inline constexpr int kMaxConfigLines = 1000;
inline constexpr int kMaxConfigLineLength = 299;

// The configuration comment that turns the next read into an overlay: the file's settings are
// merged by name into the loaded master configuration.
inline constexpr std::string_view kMasterComment = "MASTER";

// Unloads the map and options files, then reads the configuration file at `path` into the
// model (an overlay when the configuration in memory is the master). Returns false after
// reporting a failure; a file that cannot be opened or holds no settings changes nothing.
bool ReadConfigurationFile(ConfigModel& model, const std::string& path, Reporter& reporter,
                           ModelObserver& observer);

}  // namespace varnel
