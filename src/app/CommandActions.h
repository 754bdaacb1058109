#pragma once

#include <cstdint>
#include <string>

namespace varnel {

// The actions behind the command-line keywords, one per keyword row. The application object
// implements them; the dispatcher only picks the row and hands over the argument. Actions that
// end the process return 1 for success and 0 for failure, and the dispatcher turns that into
// the exit code.
class CommandActions {
public:
    virtual ~CommandActions() = default;

    virtual int CmdVerify() = 0;                                   // verify, verifycfg
    virtual void CmdWriteFile(const std::string& path) = 0;        // writefile:
    virtual void CmdReset() = 0;                                   // reset
    virtual void CmdAutoBaud() = 0;                                // autobaud
    virtual void CmdPortSetup(const std::string& settings) = 0;    // portsetup
    virtual void CmdHandshake(const std::string& kind) = 0;        // handshake
    virtual void CmdMap(const std::string& path) = 0;              // map:
    virtual int CmdIsFw(const std::string& firmwareId) = 0;        // isfw:
    virtual int CmdIsFwr(const std::string& firmwareId) = 0;       // isfwr:
    virtual void CmdMapLock(const std::string& path) = 0;          // maplock:
    virtual void CmdDelay(int32_t milliseconds) = 0;               // delay:
    virtual void CmdOptsLock(const std::string& path) = 0;         // optslock:
    virtual void CmdReadFile(const std::string& path) = 0;         // readfile:
    virtual void CmdSer(const std::string& serialNumber) = 0;      // ser:
    virtual void CmdGtSer(const std::string& serialNumber) = 0;    // gtser:
    virtual void CmdManu(const std::string& manufactureId) = 0;    // manu:
    virtual void CmdDesc(const std::string& description) = 0;      // desc:
    virtual void CmdReadCfg() = 0;                                 // readcfg
    virtual void CmdWriteCfg() = 0;                                // writecfg, cfg
    virtual void CmdPort(const std::string& portName) = 0;         // port:
    virtual void CmdSilent(int silentMode) = 0;                    // s (1), sa (2)
    virtual void CmdFlash(const std::string& bootFilePrefix) = 0;  // flash:
    virtual void CmdFlashBaud(const std::string& baud) = 0;        // flashbaud:
    virtual void CmdFiles() = 0;                                   // files
    virtual void CmdExit() = 0;                                    // exit
    virtual void CmdConfigFile(const std::string& path) = 0;       // any other parameter
};

}  // namespace varnel
