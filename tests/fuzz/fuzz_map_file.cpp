#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "DescriptionInput.h"
#include "FuzzReporter.h"
#include "model/ConfigModel.h"
#include "model/MapFile.h"
#include "model/SettingNames.h"

using namespace varnel;

// The bytes are a map file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto model = std::make_unique<ConfigModel>();
    fuzz::NullReporter reporter;
    fuzz::DescriptionInput input(data, size, *model);
    bool ok = ReadMapStream(*model, model->mapEntries, input.file, "fuzz.map", input.printLock, reporter);

    fuzz::Require(!std::isfinite(model->mapLockValue) || model->mapLockValue <= 100.0);
    if (ok) fuzz::Require(FindMapRow(model->mapEntries, kSetupName) >= 0);
    for (const MapEntry& row : model->mapEntries) {
        fuzz::Require(row.name.find_first_of(std::string(" \t\0\n", 4)) == std::string::npos);
        fuzz::Require(row.comment.size() <= 299 && row.text.size() <= 299);
        fuzz::Require(row.text.find('\0') == std::string::npos && row.comment.find('\0') == std::string::npos);
    }
    return 0;
}
