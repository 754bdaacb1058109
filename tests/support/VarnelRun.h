#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace varnel::test {

// How one run of varnel ended and what it wrote.
struct VarnelRun {
    ExitStatus status;
    std::string out;  // its standard output
    std::string err;  // its standard error, unless it went elsewhere
    // The exit code; -1 when it did not end by itself.
    int ExitCode() const { return status.exited ? status.code : -1; }
};

// Far beyond any run of the suite: a run that hangs fails its test instead of stalling the suite.
inline constexpr std::chrono::seconds kVarnelRunLimit{240};

// Runs varnel as a production script does: no display, `folder` its working directory, the
// settings store "registry.reg" there. Its standard output and error are added to the folder's
// "stdout.txt" and "stderr.txt"; `stderrFd` >= 0 takes standard error instead. Killed after `limit`.
VarnelRun RunVarnel(const std::string& folder, const std::vector<std::string>& parameters,
                    std::chrono::seconds limit = kVarnelRunLimit, int stderrFd = -1);

}  // namespace varnel::test
