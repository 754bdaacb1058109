#include "support/DemoModel.h"

#include <filesystem>

#include "support/TestPaths.h"

namespace varnel::test {

namespace {

const char* const kDemoModelFiles[] = {"rpdemo.opt", "rpdemo_100.map", "rpdemo_101.map", "rpdemo.cfg"};

// `name` in the examples folder, or a path as given.
std::string ExamplePath(const std::string& name) {
    return name.find('/') == std::string::npos ? ExamplesDir() + "/" + name : name;
}

}  // namespace

void CopyDemoModel(const std::string& folder) {
    for (const char* name : kDemoModelFiles)
        std::filesystem::copy_file(ExamplesDir() + "/" + name, std::filesystem::path(folder) / name);
}

ScratchDir ExamplesWorkingFolder() {
    ScratchDir folder;
    for (const auto& entry : std::filesystem::directory_iterator(ExamplesDir()))
        if (entry.is_regular_file()) folder.CopyIn(entry.path().string());
    folder.Enter();
    return folder;
}

bool WriteChangedDemoConfiguration(const std::string& folder) {
    std::string text = ReadFileBytes(folder + "/rpdemo.cfg");
    const std::string from = kDemoSpeedLine;
    const size_t at = text.find(from);
    if (at == std::string::npos) return false;
    text.replace(at, from.size(), kChangedSpeedLine);
    WriteFileBytes(folder + "/changed.cfg", text);
    return true;
}

std::vector<std::string> DemoPrinterSwitches(const std::string& map, const std::string& cfg) {
    return {"--map", ExamplePath(map), "--cfg", ExamplePath(cfg)};
}

}  // namespace varnel::test
