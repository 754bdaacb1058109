#include "SimSetup.h"

#include <filesystem>
#include <iostream>

#include "DemoModel.h"
#include "StateFile.h"
#include "WholeFile.h"

namespace varnel::sim {
namespace {

bool LoadFromFiles(const SimOptions& options, PrinterState& state, std::string& firmware, std::string& error) {
    if (options.mapPath.empty()) return true;
    std::string mapText;
    std::string configText;
    if (!ReadWholeFile(options.mapPath, mapText, error)) return false;
    if (!options.cfgPath.empty() && !ReadWholeFile(options.cfgPath, configText, error)) return false;
    const DemoModelReport report = LoadDemoModel(mapText, configText, state.memory);
    for (const std::string& note : report.notes) std::cerr << "varnel-printer-sim: not placed: " << note << "\n";
    firmware = report.firmware;
    return true;
}

}  // namespace

bool BuildPrinter(const SimOptions& options, PrinterState& state, EngineSettings& settings, std::string& error) {
    std::string firmware;
    const bool haveState = !options.statePath.empty() && std::filesystem::exists(options.statePath);
    if (haveState) {
        // The saved printer wins over the files it was first made from.
        std::string text;
        if (!ReadWholeFile(options.statePath, text, error)) return false;
        if (!StateFromJson(text, state, error)) {
            error = options.statePath + ": " + error;
            return false;
        }
        firmware = state.memory.Firmware();
    } else if (!LoadFromFiles(options, state, firmware, error)) {
        return false;
    }
    if (options.firmware) firmware = *options.firmware;
    state.memory.SetFirmware(firmware.empty() ? kDefaultFirmware : firmware);
    for (const TextPreset& preset : options.texts) state.memory.SetText(preset.table, preset.text);

    settings.startInBootMode = options.boot;
    settings.flashedFirmware = options.flashedFirmware;
    if (options.bootLoaderRevision) settings.bootLoaderRevision = *options.bootLoaderRevision;
    if (options.flashId) settings.flashId = *options.flashId;
    return true;
}

}  // namespace varnel::sim
