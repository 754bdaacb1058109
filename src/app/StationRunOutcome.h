#pragma once

#include <optional>
#include <string>

#include "app/ProcessLauncher.h"
#include "app/StationJob.h"

namespace varnel {

// What the station makes of one ended run of a printer's job.
struct RunOutcome {
    bool passed = false;
    std::string error;                      // why it did not pass
    std::optional<std::string> firmware;    // the identifier the run read
    std::optional<std::string> recordLine;  // the run's record, without its line end
};

// Judges run `number` (from 1) by how it ended and by the record text it appended (empty when
// it wrote none). A run passes when it exited with the code it should (PassingExitCode) and was
// not ended for taking too long; the first error of its record, if any, tells why it failed.
RunOutcome JudgeRun(int number, const StationRun& run, const ProcessEnd& end, bool timedOut,
                    const std::string& recordText);

// The last whole line of what a run appended to its record file: its record.
std::optional<std::string> LastRecordLine(const std::string& text);

}  // namespace varnel
