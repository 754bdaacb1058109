#pragma once

#include <cstddef>
#include <ctime>
#include <string>

namespace varnel {

struct ConfigModel;
class Reporter;

// Writes the configuration in memory to `path` as a configuration file: the custom comments,
// a human-readable listing and the machine-readable settings. The file is written beside the
// target and renamed over it, so a failed write leaves the old file as it was. Names the row
// "File_Comment" (or the first row without a name) with the configuration's comment. A line
// the reader would split is left out and reported. Returns false after reporting a failure.
bool WriteConfigurationFile(ConfigModel& model, const std::string& path, Reporter& reporter);

// Whether the configuration holds a setting: a row with a name other than "File_Comment", which
// every written file gets. A read from the printer that failed before its first setting leaves
// none.
bool HoldsSettings(const ConfigModel& model);

// The longest comment the "File_Comment" line of a written file can hold, the same for every
// configuration; a longer one would make the line too long to write.
size_t MaxFileCommentLength();

// Sets configFileTime from the last-write time of configFilePath. Returns false and empties the
// text when there is no file name or the file's time cannot be read.
bool UpdateFileTimeStamp(ConfigModel& model);

// The time stamp text of a last-write time, in UTC: month-day-year hh:mm:ss.
std::string FormatFileTimeStamp(std::time_t lastWrite);

}  // namespace varnel
