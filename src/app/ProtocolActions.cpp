// Command-line actions that talk to the printer's configuration: firmware checks, reading,
// verifying and writing the configuration.
#include "app/CVarnelApp.h"
#include "protocol/ConfigurationReader.h"
#include "protocol/ConfigurationWriter.h"
#include "protocol/Identification.h"
#include "protocol/ProtocolContext.h"

namespace varnel {

int CVarnelApp::CmdVerify() {
    ProtocolContext context = Context();
    return ReadConfiguration(context, ReadMode::Verify);
}

int CVarnelApp::CmdIsFw(const std::string& firmwareId) {
    ProtocolContext context = Context();
    return CheckFirmwarePrefix(context, firmwareId);
}

int CVarnelApp::CmdIsFwr(const std::string& firmwareId) {
    ProtocolContext context = Context();
    return CheckFirmwareRevision(context, firmwareId);
}

void CVarnelApp::CmdReadCfg() {
    ProtocolContext context = Context();
    ReadConfiguration(context, ReadMode::Read);
}

void CVarnelApp::CmdWriteCfg() {
    ProtocolContext context = Context();
    WriteConfiguration(context);
}

}  // namespace varnel
