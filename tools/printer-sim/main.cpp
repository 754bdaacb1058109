// varnel-printer-sim: an emulated receipt printer for Varnel's demo, tests and service work.

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "PtyChannel.h"
#include "SimOptions.h"
#include "SimServer.h"
#include "SimSetup.h"
#include "StopSignal.h"
#include "TcpChannel.h"
#include "TraceLog.h"
#include "base/UniqueFd.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadArguments = 2;
constexpr const char* kVersion = "varnel-printer-sim 2.26.0";

int BadArguments(const std::string& error) {
    std::cerr << "varnel-printer-sim: " << error << "\nTry 'varnel-printer-sim --help'.\n";
    return kExitBadArguments;
}

int Failure(const std::string& error) {
    std::cerr << "varnel-printer-sim: " << error << "\n";
    return kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace varnel::sim;
    const ParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) return BadArguments(parsed.error);
    const SimOptions& options = *parsed.options;
    if (options.help) {
        std::cout << UsageText();
        return kExitOk;
    }
    if (options.version) {
        std::cout << kVersion << "\n";
        return kExitOk;
    }

    PrinterState state;
    EngineSettings engineSettings;
    std::string error;
    if (!BuildPrinter(options, state, engineSettings, error)) return BadArguments(error);

    TraceLog trace;
    if (!options.tracePath.empty() && !trace.Open(options.tracePath, MonotonicNow(), error)) return BadArguments(error);

    varnel::UniqueFd stopFd(InstallStopSignals());
    if (!stopFd.Valid()) return Failure("cannot set up signal handling");

    std::unique_ptr<Channel> channel;
    if (options.usePty)
        channel = PtyChannel::Create(options.baud, error);
    else
        channel = TcpChannel::Listen(options.tcpHost, options.tcpPort, error);
    if (!channel) return Failure(error);

    FaultPlan faults = options.faults;
    PrinterEngine engine(state, faults, engineSettings);
    ServerSettings serverSettings;
    serverSettings.baud = options.baud;
    serverSettings.lineRate = options.lineRate;
    serverSettings.dropAfterBytes = faults.dropAfterBytes;
    serverSettings.statePath = options.statePath;
    serverSettings.bootImagePath = options.bootImagePath;
    SimServer server(*channel, engine, state, trace, serverSettings);
    // The state file exists from the start, so a script can look at the printer it talks to.
    if (!server.SaveState()) return Failure("cannot write the state file " + options.statePath);

    std::cout << "PORT " << channel->PortName() << std::endl;
    trace.Event("listening on " + channel->PortName() + ", firmware " + state.memory.Firmware(), MonotonicNow());
    const int result = server.Run(stopFd.Get());
    if (!server.SaveState()) return kExitFailure;
    return result;
}
