#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

// A program to start for the station: in `folder`, its standard output and error appended to
// `outputPath`, the station's environment with `unset` names removed and `set` ("NAME=value")
// entries put in.
struct LaunchRequest {
    std::string program;
    std::vector<std::string> arguments;
    std::string folder;
    std::string outputPath;
    std::vector<std::string> set;
    std::vector<std::string> unset;
};

// How a started program ended.
struct ProcessEnd {
    bool exited = false;  // by exit(): `code` holds its exit code
    int code = -1;
    int signal = 0;       // ended by this signal
};

// One started program. Ending it reaches everything it started too.
class LaunchedProcess {
public:
    virtual ~LaunchedProcess() = default;
    // Nullopt while it runs; how it ended once it has (asked again, the same answer).
    virtual std::optional<ProcessEnd> Ended() = 0;
    // Asks it to end (SIGTERM).
    virtual void Terminate() = 0;
    // Ends it at once (SIGKILL).
    virtual void Kill() = 0;
};

// Starts programs: the real one forks and executes, the tests' one plays runs out.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Null with `problem` set when the program could not be started.
    virtual std::unique_ptr<LaunchedProcess> Launch(const LaunchRequest& request, std::string& problem) = 0;
};

}  // namespace varnel
