// Command-line actions on description and configuration files.
#include "app/CVarnelApp.h"

namespace varnel {

void CVarnelApp::CmdWriteFile(const std::string&) { ReportNotAvailable("writefile:"); }

void CVarnelApp::CmdMap(const std::string&) { ReportNotAvailable("map:"); }

void CVarnelApp::CmdMapLock(const std::string&) {
    model_.lockOverride = true;
    ReportNotAvailable("maplock:");
}

void CVarnelApp::CmdOptsLock(const std::string&) {
    model_.lockOverride = true;
    ReportNotAvailable("optslock:");
}

void CVarnelApp::CmdReadFile(const std::string&) {
    model_.keepSettingsOnNew = true;
    ReportNotAvailable("readfile:");
    UpdateTitle();
}

void CVarnelApp::CmdConfigFile(const std::string& path) {
    // Any other parameter is a configuration file; name it, as the reader would.
    ReportNotAvailable("reading the configuration file " + path);
}

}  // namespace varnel
