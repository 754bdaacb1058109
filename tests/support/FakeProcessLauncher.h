#pragma once

#include <signal.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ProcessLauncher.h"
#include "app/RunRecordFile.h"

namespace varnel::test {

// Starts nothing: every launch is kept for the test, which ends it as it pleases. A launched
// run asked to end ends at once, unless the test says it hangs.
class FakeProcessLauncher : public ProcessLauncher {
public:
    struct Launch {
        LaunchRequest request;
        std::optional<ProcessEnd> end;
        bool terminated = false;
        bool killed = false;
        bool ignoresTerminate = false;  // ends only when killed

        // The file the run's record goes to: the argument after "--record".
        std::string RecordPath() const {
            const auto& args = request.arguments;
            auto at = std::find(args.begin(), args.end(), std::string("--record"));
            return at != args.end() && at + 1 != args.end() ? *(at + 1) : std::string();
        }
    };

    std::unique_ptr<LaunchedProcess> Launch(const LaunchRequest& request, std::string& problem) override {
        if (!failWith.empty()) {
            problem = failWith;
            return nullptr;
        }
        launches.push_back(std::make_shared<struct Launch>());
        launches.back()->request = request;
        return std::make_unique<Process>(launches.back());
    }

    // Ends launch `index` with exit code `code`, its record line (if any) appended first, as
    // varnel appends it when it ends.
    void Finish(size_t index, int code, const std::string& recordLine = {}) {
        std::string problem;
        if (!recordLine.empty()) AppendRunRecordLine(launches.at(index)->RecordPath(), recordLine + "\n", problem);
        launches.at(index)->end = ProcessEnd{.exited = true, .code = code};
    }

    // The launches that have not ended, by index.
    std::vector<size_t> Running() const {
        std::vector<size_t> running;
        for (size_t i = 0; i < launches.size(); ++i)
            if (!launches[i]->end) running.push_back(i);
        return running;
    }

    std::vector<std::shared_ptr<struct Launch>> launches;
    std::string failWith;  // set: every launch fails with this

private:
    class Process : public LaunchedProcess {
    public:
        explicit Process(std::shared_ptr<struct Launch> launch) : launch_(std::move(launch)) {}
        std::optional<ProcessEnd> Ended() override { return launch_->end; }
        void Terminate() override {
            launch_->terminated = true;
            if (!launch_->ignoresTerminate && !launch_->end) launch_->end = ProcessEnd{.signal = SIGTERM};
        }
        void Kill() override {
            launch_->killed = true;
            if (!launch_->end) launch_->end = ProcessEnd{.signal = SIGKILL};
        }

    private:
        std::shared_ptr<struct Launch> launch_;
    };
};

}  // namespace varnel::test
