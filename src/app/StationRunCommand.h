#pragma once

#include <string>
#include <vector>

#include "app/StationJob.h"

namespace varnel {

// What the station puts in place of the placeholders of a run.
inline constexpr std::string_view kPortPlaceholder = "{port}";
inline constexpr std::string_view kNamePlaceholder = "{name}";

// The keywords of `run` for one printer: "{port}" and "{name}" replaced by the port and its safe
// name, and the relative file names (of writefile:, readfile:, map:, maplock:, optslock: and of a
// bare configuration file) taken from `workingFolder`, since the run itself works in the
// printer's own folder.
StationRun PrinterRun(const StationRun& run, const std::string& port, const std::string& name,
                      const std::string& workingFolder);

// The exit code with which `run` ends as it should: 1 when it ends in "verify", "isfw:" or
// "isfwr:" (the first of them ends the run), 0 for any other run.
int PassingExitCode(const StationRun& run);

}  // namespace varnel
