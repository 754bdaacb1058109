// The port and the printer's identity strings, from the menu and the command line: reset,
// baud-rate detection, serial and handshake setup, serial number, manufacture id, description.
#include "app/CVarnelApp.h"
#include "app/RunObserver.h"
#include "protocol/IdentityStrings.h"
#include "protocol/PortCommands.h"
#include "protocol/ProtocolContext.h"

namespace varnel {

int CVarnelApp::RunResetPrinter() {
    PrinterOperation operation(*this);
    ProtocolContext context = Context();
    return ResetPrinter(context);
}

int CVarnelApp::RunDetectBaudRate() {
    PrinterOperation operation(*this);
    ProtocolContext context = Context();
    return RunBaudRateDetection(context);
}

int CVarnelApp::RunSetupSerialPort() {
    PrinterOperation operation(*this);
    ProtocolContext context = Context();
    // An empty text lets the user set the line up in the serial configuration dialog.
    return SetupSerialPort(context, "");
}

void CVarnelApp::CmdReset() { RunResetPrinter(); }

void CVarnelApp::CmdAutoBaud() {
    ProtocolContext context = Context();
    DetectBaudRate(context);
}

void CVarnelApp::CmdPortSetup(const std::string& settings) {
    ProtocolContext context = Context();
    SetupSerialPort(context, settings);
}

void CVarnelApp::CmdHandshake(const std::string& kind) {
    ProtocolContext context = Context();
    SetupHandshake(context, kind);
}

void CVarnelApp::CmdSer(const std::string& serialNumber) {
    ProtocolContext context = Context();
    if (ProgramIdentityString(context, kSerialNumberRow, serialNumber) && runObserver_)
        runObserver_->SerialNumberVerified(serialNumber);
}

void CVarnelApp::CmdGtSer(const std::string& serialNumber) {
    ProtocolContext context = Context();
    if (ProgramIdentityString(context, kSerialNumber2Row, serialNumber) && runObserver_)
        runObserver_->SerialNumberVerified(serialNumber);
}

void CVarnelApp::CmdManu(const std::string& manufactureId) {
    ProtocolContext context = Context();
    ProgramIdentityString(context, kManufactureIdRow, manufactureId);
}

void CVarnelApp::CmdDesc(const std::string& description) {
    ProtocolContext context = Context();
    ProgramIdentityString(context, kDescriptionRow, description);
}

}  // namespace varnel
