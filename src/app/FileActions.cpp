// Command-line actions on description and configuration files.
#include "app/CVarnelApp.h"
#include "model/ConfigFileReader.h"
#include "model/ConfigFileWriter.h"
#include "model/MapFile.h"
#include "model/OptionsFile.h"

namespace varnel {

void CVarnelApp::CmdWriteFile(const std::string& path) { WriteConfigurationFile(model_, path, *this); }

void CVarnelApp::CmdMap(const std::string& path) { LoadMapFile(model_, path, false, *this); }

void CVarnelApp::CmdMapLock(const std::string& path) {
    model_.lockOverride = true;
    LoadMapFile(model_, path, true, *this);
}

void CVarnelApp::CmdOptsLock(const std::string& path) {
    model_.lockOverride = true;
    ReadOptionsFile(model_, model_.options, path, true, *this);
}

void CVarnelApp::CmdReadFile(const std::string& path) {
    model_.keepSettingsOnNew = true;
    ReadConfigurationFile(model_, path, *this, *this);
    UpdateTitle();
}

void CVarnelApp::CmdConfigFile(const std::string& path) { ReadConfigurationFile(model_, path, *this, *this); }

}  // namespace varnel
