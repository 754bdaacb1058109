// The printer's configuration, from the menu, the toolbar and the command line: firmware checks,
// reading, verifying and writing the configuration.
#include "app/CVarnelApp.h"
#include "protocol/ConfigurationReader.h"
#include "protocol/ConfigurationWriter.h"
#include "protocol/Identification.h"
#include "protocol/ProtocolContext.h"

namespace varnel {

int CVarnelApp::RunReadConfiguration() {
    PrinterOperation operation(*this);
    ProtocolContext context = Context();
    return ReadConfiguration(context, ReadMode::Read);
}

int CVarnelApp::RunVerifyConfiguration() {
    PrinterOperation operation(*this);
    ProtocolContext context = Context();
    return ReadConfiguration(context, ReadMode::Verify);
}

int CVarnelApp::RunWriteConfiguration() {
    PrinterOperation operation(*this);
    ProtocolContext context = Context();
    return WriteConfiguration(context);
}

int CVarnelApp::CmdVerify() { return RunVerifyConfiguration(); }

int CVarnelApp::CmdIsFw(const std::string& firmwareId) {
    ProtocolContext context = Context();
    return CheckFirmwarePrefix(context, firmwareId);
}

int CVarnelApp::CmdIsFwr(const std::string& firmwareId) {
    ProtocolContext context = Context();
    return CheckFirmwareRevision(context, firmwareId);
}

void CVarnelApp::CmdReadCfg() { RunReadConfiguration(); }

void CVarnelApp::CmdWriteCfg() { RunWriteConfiguration(); }

}  // namespace varnel
