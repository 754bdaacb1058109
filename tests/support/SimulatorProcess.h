#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TestPaths.h"

namespace varnel::test {

// Where the simulated printer listens: a free loopback TCP port, or a pseudo-terminal.
enum class SimulatorLine { Tcp, Pty };

// A running varnel-printer-sim, with the address or device it listens on read from its first line
// of output ("PORT ..."). Stopped with SIGTERM, on which it saves its state file, when it goes.
class SimulatorProcess {
public:
    // The built simulator on `line` with the further `switches` (--state, --trace, faults...),
    // run in `cwd` when one is given.
    explicit SimulatorProcess(SimulatorLine line, const std::vector<std::string>& switches = {},
                              const std::string& cwd = {})
        : SimulatorProcess(SimulatorExe(), line, switches, cwd) {}
    // The simulator at `exe`, for the benchmarks, which find it themselves.
    SimulatorProcess(const std::string& exe, SimulatorLine line, const std::vector<std::string>& switches,
                     const std::string& cwd = {}) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        child_.emplace(exe, Arguments(line, switches), HeadlessEnvironment(""), cwd, out[1], -1);
        close(out[1]);
        out_ = out[0];
        std::string first;
        char c = 0;
        pollfd waiting{out_, POLLIN, 0};
        while (poll(&waiting, 1, kStartLimitMs) == 1 && read(out_, &c, 1) == 1 && c != '\n') first += c;
        if (first.rfind(kPortPrefix, 0) == 0) port_ = first.substr(std::string(kPortPrefix).size());
    }
    ~SimulatorProcess() {
        Stop();
        if (out_ >= 0) close(out_);
    }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Empty when the simulator did not start.
    const std::string& Port() const { return port_; }
    // Ends the simulator with `signal` and waits for it; a second call finds nothing to stop.
    ExitStatus Stop(int signal = SIGTERM) {
        if (!child_) return {};
        child_->Signal(signal);
        ExitStatus status = child_->Wait(std::chrono::seconds(kStopLimitSeconds));
        child_.reset();
        return status;
    }

private:
    static constexpr int kStartLimitMs = 10000;
    static constexpr int kStopLimitSeconds = 3600;  // Wait counts from the start
    static constexpr const char* kPortPrefix = "PORT ";

    static std::vector<std::string> Arguments(SimulatorLine line, const std::vector<std::string>& switches) {
        std::vector<std::string> args;
        switch (line) {
        case SimulatorLine::Tcp: args = {"--tcp", "127.0.0.1:0"}; break;
        case SimulatorLine::Pty: args = {"--pty"}; break;
        }
        args.insert(args.end(), switches.begin(), switches.end());
        return args;
    }

    std::optional<ChildProcess> child_;
    int out_ = -1;
    std::string port_;
};

}  // namespace varnel::test
