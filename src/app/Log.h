#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace varnel {

// The log lives in the working directory of the run.
inline constexpr const char* kLogFileName = "Varnel.log";
// A log that an entry takes past this size is emptied, that entry included.
inline constexpr long long kLogSizeLimit = 250000;
inline constexpr int kLogRuleWidth = 75;

inline constexpr std::string_view kErrorEntryHead = "Configuration Error: ";
inline constexpr std::string_view kMessageEntryHead = "Configuration Message: ";
inline constexpr std::string_view kInvokedText = "Configuration Application Invoked:     ";
inline constexpr std::string_view kTerminatedText = "Configuration Application Terminated:    ";

// The bytes of one entry: every line end of `text` as CR LF, then two line ends, so an empty line
// follows each entry.
std::string LogEntryBytes(std::string_view text);

// Appends one entry to the log at `path` in a single write on an append-only descriptor, so runs
// that share the folder never interleave their entries. Returns false when the file could not be
// written; the entry is then lost, as the reporting never fails towards its callers.
bool AppendLogEntry(const std::string& path, std::string_view text);

// "%A, %B %d, %H:%M:%S" in the C locale.
std::string FormatTimeStamp(const std::tm& localTime);
std::string CurrentTimeStamp();

// The text of the block that opens a run and of the entry that closes it.
std::string StartBlockText(std::string_view timeStamp);
std::string EndEntryText(std::string_view timeStamp);

}  // namespace varnel
