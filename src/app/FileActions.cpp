// Command-line actions on description and configuration files.
#include "app/CVarnelApp.h"
#include "model/MapFile.h"
#include "model/OptionsFile.h"

namespace varnel {

void CVarnelApp::CmdWriteFile(const std::string&) { ReportNotAvailable("writefile:"); }

void CVarnelApp::CmdMap(const std::string& path) { LoadMapFile(model_, path, false, *this); }

void CVarnelApp::CmdMapLock(const std::string& path) {
    model_.lockOverride = true;
    LoadMapFile(model_, path, true, *this);
}

void CVarnelApp::CmdOptsLock(const std::string& path) {
    model_.lockOverride = true;
    ReadOptionsFile(model_, model_.options, path, true, *this);
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
