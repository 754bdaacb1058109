// Command-line actions whose operations this build does not have yet. Each reports that it is
// not available, so a script sees an error instead of a silent success. When an operation
// arrives, its member moves out of this file into the file that wires it.
#include "app/CVarnelApp.h"

namespace varnel {

void CVarnelApp::CmdReset() { ReportNotAvailable("reset"); }

void CVarnelApp::CmdAutoBaud() { ReportNotAvailable("autobaud"); }

void CVarnelApp::CmdPortSetup(const std::string&) { ReportNotAvailable("portsetup"); }

void CVarnelApp::CmdHandshake(const std::string&) { ReportNotAvailable("handshake"); }

void CVarnelApp::CmdSer(const std::string&) { ReportNotAvailable("ser:"); }

void CVarnelApp::CmdGtSer(const std::string&) { ReportNotAvailable("gtser:"); }

void CVarnelApp::CmdManu(const std::string&) { ReportNotAvailable("manu:"); }

void CVarnelApp::CmdDesc(const std::string&) { ReportNotAvailable("desc:"); }

}  // namespace varnel
