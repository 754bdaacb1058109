#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/OperationMonitor.h"

namespace varnel::test {

// Plays whoever watches a running operation: keeps the steps it is shown and cancels once the
// operation has told this much progress.
class RecordingMonitor : public OperationMonitor {
public:
    void Progress(const std::string& step, int64_t done, int64_t total) override {
        steps.push_back(step + " " + std::to_string(done) + "/" + std::to_string(total));
    }
    bool CancelRequested() const override { return cancelAfterSteps && steps.size() >= *cancelAfterSteps; }

    std::vector<std::string> steps;  // "Trying 9600 baud 0/8"
    std::optional<size_t> cancelAfterSteps;
};

}  // namespace varnel::test
