#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/CommandActions.h"
#include "app/RunObserver.h"
#include "app/RunRecord.h"

namespace varnel {

class CVarnelApp;

// Fills a run's record while the run goes on: it stands between the command line and the
// application object, noting each action and how it went, and hears from the application object
// what the record keeps (errors, differences, firmware, serial number). Lives no longer than the
// application object; when it goes it notes the port the run ended with.
class RunRecorder : public CommandActions, public RunObserver {
public:
    RunRecorder(CVarnelApp& app, RunRecord& record);
    ~RunRecorder() override;
    RunRecorder(const RunRecorder&) = delete;
    RunRecorder& operator=(const RunRecorder&) = delete;

    int CmdVerify() override;
    void CmdWriteFile(const std::string& path) override;
    void CmdReset() override;
    void CmdAutoBaud() override;
    void CmdPortSetup(const std::string& settings) override;
    void CmdHandshake(const std::string& kind) override;
    void CmdMap(const std::string& path) override;
    int CmdIsFw(const std::string& firmwareId) override;
    int CmdIsFwr(const std::string& firmwareId) override;
    void CmdMapLock(const std::string& path) override;
    void CmdDelay(int32_t milliseconds) override;
    void CmdOptsLock(const std::string& path) override;
    void CmdReadFile(const std::string& path) override;
    void CmdSer(const std::string& serialNumber) override;
    void CmdGtSer(const std::string& serialNumber) override;
    void CmdManu(const std::string& manufactureId) override;
    void CmdDesc(const std::string& description) override;
    void CmdReadCfg() override;
    void CmdWriteCfg() override;
    void CmdPort(const std::string& portName) override;
    void CmdSilent(int silentMode) override;
    void CmdFlash(const std::string& bootFilePrefix) override;
    void CmdFlashBaud(const std::string& baud) override;
    void CmdFiles() override;
    void CmdExit() override;
    void CmdConfigFile(const std::string& path) override;

    void ErrorLogged(const std::string& text) override;
    void DifferenceFound(const VerifyDifference& difference) override;
    void FirmwareIdentifierRead(const std::string& identifier) override;
    void SerialNumberVerified(const std::string& serialNumber) override;

private:
    // An action with a result of its own (1 passed): that result is its outcome.
    int Checked(std::string_view action, std::optional<std::string> argument, const std::function<int()>& act);
    // Any other action went well when it logged no error.
    void Noted(std::string_view action, std::optional<std::string> argument, const std::function<void()>& act);

    CVarnelApp& app_;
    RunRecord& record_;
};

}  // namespace varnel
