// Command-line actions on description and configuration files.
#include <filesystem>
#include <string_view>
#include <system_error>

#include "app/CVarnelApp.h"
#include "model/ConfigFileReader.h"
#include "model/ConfigFileWriter.h"
#include "model/MapFile.h"
#include "model/OptionsFile.h"

namespace varnel {
namespace {

constexpr std::string_view kNoSettingsKeptText =
    "The configuration in memory holds no settings; the existing file was kept unchanged: ";

}  // namespace

// A configuration that a failed read left without settings does not replace a saved file: a
// script that backs up its printers keeps the last good copy when a printer is off.
void CVarnelApp::CmdWriteFile(const std::string& path) {
    std::error_code ignored;
    if (!HoldsSettings(model_) && std::filesystem::exists(path, ignored)) {
        ReportError(std::string(kNoSettingsKeptText) + path, event::kGeneral, kSeverityError);
        return;
    }
    WriteConfigurationFile(model_, path, *this);
}

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
