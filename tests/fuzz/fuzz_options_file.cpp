#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "DescriptionInput.h"
#include "FuzzReporter.h"
#include "base/ExitRequest.h"
#include "model/ConfigModel.h"
#include "model/LockValue.h"
#include "model/OptionsFile.h"
#include "model/SettingNames.h"

using namespace varnel;

// The bytes are an options file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto model = std::make_unique<ConfigModel>();
    fuzz::NullReporter reporter;
    fuzz::DescriptionInput input(data, size, *model);
    try {
        bool ok = ReadOptionsStream(*model, model->options, input.file, "fuzz.opt", input.printLock, reporter);
        if (ok) fuzz::Require(FindOption(model->options, kSetupName, -1) >= 0);
    } catch (const ExitRequest& exit) {
        // A wrong lock without override ends the process, leaving the table cleared.
        fuzz::Require(exit.exitCode == 0 && !model->lockOverride);
        for (const OptionEntry& row : model->options) fuzz::Require(row.name.empty() && row.value == -1);
        return 0;
    }
    for (const OptionEntry& row : model->options) {
        fuzz::Require(row.name.find_first_of(std::string(" \t\0", 3)) == std::string::npos);
        fuzz::Require(row.group.find_first_of(std::string(" \t\0", 3)) == std::string::npos);
        fuzz::Require(row.text.size() <= 299 && row.valueText.size() <= 299);
        fuzz::Require(row.low == -1 || row.value == -1);
    }
    return 0;
}
