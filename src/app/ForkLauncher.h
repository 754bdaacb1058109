#pragma once

#include "app/ProcessLauncher.h"

namespace varnel {

// Starts each program with fork and execve in a process group of its own, so that SIGTERM and
// SIGKILL reach whatever it starts in turn. A process that is dropped before it has ended is
// killed and waited for: none outlives its owner.
class ForkLauncher : public ProcessLauncher {
public:
    std::unique_ptr<LaunchedProcess> Launch(const LaunchRequest& request, std::string& problem) override;
};

}  // namespace varnel
