// The command-line dispatcher: arbitrary bytes cut at NUL bytes into parameters. Every parameter
// reaches exactly one action, with an argument taken from the parameter itself, and nothing is
// dispatched after an action that ends the process.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzReporter.h"
#include "app/CommandActions.h"
#include "app/CommandLine.h"
#include "app/ProgramOptions.h"
#include "base/ExitRequest.h"

using namespace varnel;

namespace {

constexpr size_t kMaxParameters = 64;

// Counts the calls and keeps the last argument; the process-ending actions end it.
class RecordingActions : public CommandActions {
public:
    int calls = 0;
    std::string argument;
    bool hadArgument = false;

    int CmdVerify() override {
        Plain();
        throw ExitRequest{1};
    }
    void CmdWriteFile(const std::string& path) override { Took(path); }
    void CmdReset() override { Plain(); }
    void CmdAutoBaud() override { Plain(); }
    void CmdPortSetup(const std::string& settings) override { Took(settings); }
    void CmdHandshake(const std::string& kind) override { Took(kind); }
    void CmdMap(const std::string& path) override { Took(path); }
    int CmdIsFw(const std::string& firmwareId) override {
        Took(firmwareId);
        throw ExitRequest{1};
    }
    int CmdIsFwr(const std::string& firmwareId) override {
        Took(firmwareId);
        throw ExitRequest{1};
    }
    void CmdMapLock(const std::string& path) override { Took(path); }
    void CmdDelay(int32_t) override { Plain(); }
    void CmdOptsLock(const std::string& path) override { Took(path); }
    void CmdReadFile(const std::string& path) override { Took(path); }
    void CmdSer(const std::string& serialNumber) override { Took(serialNumber); }
    void CmdGtSer(const std::string& serialNumber) override { Took(serialNumber); }
    void CmdManu(const std::string& manufactureId) override { Took(manufactureId); }
    void CmdDesc(const std::string& description) override { Took(description); }
    void CmdReadCfg() override { Plain(); }
    void CmdWriteCfg() override { Plain(); }
    void CmdPort(const std::string& portName) override { Took(portName); }
    void CmdSilent(int silentMode) override {
        fuzz::Require(silentMode == 1 || silentMode == 2);
        Plain();
    }
    void CmdFlash(const std::string& bootFilePrefix) override { Took(bootFilePrefix); }
    void CmdFlashBaud(const std::string& baud) override { Took(baud); }
    void CmdFiles() override { Plain(); }
    void CmdExit() override { Plain(); }
    void CmdConfigFile(const std::string& path) override { Took(path); }

private:
    void Plain() { ++calls; }
    void Took(const std::string& text) {
        ++calls;
        hadArgument = true;
        argument = text;
    }
};

std::vector<std::string> Parameters(const uint8_t* data, size_t size) {
    std::vector<std::string> parameters(1);
    for (size_t i = 0; i < size && parameters.size() <= kMaxParameters; ++i) {
        if (data[i] == 0) parameters.emplace_back();
        else parameters.back() += static_cast<char>(data[i]);
    }
    return parameters;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return tail.size() <= text.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parameters = Parameters(data, size);
    // One parameter at a time: one action, whose argument is the parameter's own tail.
    for (const std::string& parameter : parameters) {
        RecordingActions actions;
        try {
            ParseParam(actions, parameter);
        } catch (const ExitRequest&) {
        }
        fuzz::Require(actions.calls == 1);
        if (actions.hadArgument) fuzz::Require(EndsWith(parameter, actions.argument));
    }
    // The whole line: dispatch stops at the first process-ending action.
    RecordingActions actions;
    bool ended = false;
    try {
        DispatchCommandLine(actions, parameters);
    } catch (const ExitRequest&) {
        ended = true;
    }
    fuzz::Require(actions.calls >= 1 || parameters.empty());
    fuzz::Require(ended || actions.calls == static_cast<int>(parameters.size()));
    (void)ParseProgramOptions(parameters, {});
    return 0;
}
