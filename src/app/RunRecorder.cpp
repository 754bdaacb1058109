#include "app/RunRecorder.h"

#include <utility>

#include "app/CVarnelApp.h"

namespace varnel {
namespace {

constexpr int kPassed = 1;
constexpr int kSilentErrorsOnly = 1;

}  // namespace

RunRecorder::RunRecorder(CVarnelApp& app, RunRecord& record) : app_(app), record_(record) {
    app_.SetRunObserver(this);
}

RunRecorder::~RunRecorder() {
    record_.port = app_.model().portName;
    app_.SetRunObserver(nullptr);
}

// An action that ends the process from inside (a refused options file) leaves its entry failed.
int RunRecorder::Checked(std::string_view action, std::optional<std::string> argument,
                         const std::function<int()>& act) {
    record_.actions.push_back({std::string(action), std::move(argument), false});
    const size_t entry = record_.actions.size() - 1;
    const int result = act();
    record_.actions[entry].ok = result == kPassed;
    return result;
}

void RunRecorder::Noted(std::string_view action, std::optional<std::string> argument,
                        const std::function<void()>& act) {
    record_.actions.push_back({std::string(action), std::move(argument), false});
    const size_t entry = record_.actions.size() - 1;
    const size_t errorsBefore = record_.errors.size();
    act();
    record_.actions[entry].ok = record_.errors.size() == errorsBefore;
}

int RunRecorder::CmdVerify() {
    return Checked("verify", std::nullopt, [this] { return app_.CmdVerify(); });
}
void RunRecorder::CmdWriteFile(const std::string& path) {
    Noted("writefile", path, [&] { app_.CmdWriteFile(path); });
}
void RunRecorder::CmdReset() {
    Noted("reset", std::nullopt, [this] { app_.CmdReset(); });
}
void RunRecorder::CmdAutoBaud() {
    Noted("autobaud", std::nullopt, [this] { app_.CmdAutoBaud(); });
}
void RunRecorder::CmdPortSetup(const std::string& settings) {
    Noted("portsetup", settings, [&] { app_.CmdPortSetup(settings); });
}
void RunRecorder::CmdHandshake(const std::string& kind) {
    Noted("handshake", kind, [&] { app_.CmdHandshake(kind); });
}
void RunRecorder::CmdMap(const std::string& path) {
    Noted("map", path, [&] { app_.CmdMap(path); });
}
int RunRecorder::CmdIsFw(const std::string& firmwareId) {
    return Checked("isfw", firmwareId, [&] { return app_.CmdIsFw(firmwareId); });
}
int RunRecorder::CmdIsFwr(const std::string& firmwareId) {
    return Checked("isfwr", firmwareId, [&] { return app_.CmdIsFwr(firmwareId); });
}
void RunRecorder::CmdMapLock(const std::string& path) {
    Noted("maplock", path, [&] { app_.CmdMapLock(path); });
}
void RunRecorder::CmdDelay(int32_t milliseconds) {
    Noted("delay", std::to_string(milliseconds), [&] { app_.CmdDelay(milliseconds); });
}
void RunRecorder::CmdOptsLock(const std::string& path) {
    Noted("optslock", path, [&] { app_.CmdOptsLock(path); });
}
void RunRecorder::CmdReadFile(const std::string& path) {
    Noted("readfile", path, [&] { app_.CmdReadFile(path); });
}
void RunRecorder::CmdSer(const std::string& serialNumber) {
    Noted("ser", serialNumber, [&] { app_.CmdSer(serialNumber); });
}
void RunRecorder::CmdGtSer(const std::string& serialNumber) {
    Noted("gtser", serialNumber, [&] { app_.CmdGtSer(serialNumber); });
}
void RunRecorder::CmdManu(const std::string& manufactureId) {
    Noted("manu", manufactureId, [&] { app_.CmdManu(manufactureId); });
}
void RunRecorder::CmdDesc(const std::string& description) {
    Noted("desc", description, [&] { app_.CmdDesc(description); });
}
void RunRecorder::CmdReadCfg() {
    Noted("readcfg", std::nullopt, [this] { app_.CmdReadCfg(); });
}
void RunRecorder::CmdWriteCfg() {
    Noted("writecfg", std::nullopt, [this] { app_.CmdWriteCfg(); });
}
void RunRecorder::CmdPort(const std::string& portName) {
    Noted("port", portName, [&] { app_.CmdPort(portName); });
}
void RunRecorder::CmdSilent(int silentMode) {
    Noted(silentMode == kSilentErrorsOnly ? "s" : "sa", std::nullopt, [&] { app_.CmdSilent(silentMode); });
}
void RunRecorder::CmdFlash(const std::string& bootFilePrefix) {
    Noted("flash", bootFilePrefix, [&] { app_.CmdFlash(bootFilePrefix); });
}
void RunRecorder::CmdFlashBaud(const std::string& baud) {
    Noted("flashbaud", baud, [&] { app_.CmdFlashBaud(baud); });
}
void RunRecorder::CmdFiles() {
    Noted("files", std::nullopt, [this] { app_.CmdFiles(); });
}
void RunRecorder::CmdExit() {
    Noted("exit", std::nullopt, [this] { app_.CmdExit(); });
}
void RunRecorder::CmdConfigFile(const std::string& path) {
    Noted("file", path, [&] { app_.CmdConfigFile(path); });
}

void RunRecorder::ErrorLogged(const std::string& text) { record_.errors.push_back(text); }

void RunRecorder::DifferenceFound(const VerifyDifference& difference) { record_.differences.push_back(difference); }

void RunRecorder::FirmwareIdentifierRead(const std::string& identifier) { record_.firmware = identifier; }

void RunRecorder::SerialNumberVerified(const std::string& serialNumber) { record_.serialNumber = serialNumber; }

}  // namespace varnel
