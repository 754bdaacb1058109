#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzReporter.h"
#include "InMemoryScratchDir.h"
#include "model/ConfigFileReader.h"
#include "model/ConfigFileWriter.h"
#include "model/ConfigModel.h"
#include "support/NullModelObserver.h"
#include "support/ScratchDir.h"

using namespace varnel;

namespace {

// The first byte chooses an overlay onto this master; the rest is the configuration file.
const std::string kMaster =
    "File_Comment \"MASTER\"\r\n"
    "Model \"RP-DEMO\"\r\n"
    "; master note\r\n"
    "Font 0 ;font\r\n"
    "Cut 1 &keep\r\n"
    "Logo \"ACME\"\r\n";
const std::vector<std::string> kMasterNames = {"File_Comment", "Model", "Font", "Cut", "Logo"};

struct Written {
    std::string name;
    int32_t value;
    std::string text;
};

bool IsSettingRow(const SettingRow& row) { return !row.name.empty(); }

// The length of the machine-readable line the writer builds for a setting.
size_t MachineLineLength(const SettingRow& row) {
    size_t column = row.name.size() + 1 > 22 ? row.name.size() + 1 : 22;
    size_t value = row.value == -1 ? row.text.size() + 2 + 7 : std::to_string(row.value).size() + 15;
    return column + value + row.comment.size();
}

// Every setting may be written, so the whole table goes into the file.
void MakeAllWritable(ConfigModel& model) {
    int next = 0;
    for (const SettingRow& row : model.settings) {
        if (!IsSettingRow(row) || IsWritable(model.options, row.name)) continue;
        OptionEntry& attribute = model.options[next++];
        attribute.name = row.name;
        attribute.valueText = "Y";
        attribute.text = std::string(kCanBeWritten);
    }
}

void CheckRows(const ConfigModel& model) {
    for (const SettingRow& row : model.settings) {
        size_t limit = static_cast<size_t>(kMaxConfigLineLength);
        fuzz::Require(row.name.size() <= limit && row.text.size() <= limit && row.comment.size() <= limit &&
                      row.customComment.size() <= limit);
        fuzz::Require(row.name.find_first_of(" \t") == std::string::npos);
        if (row.value != -1) fuzz::Require(row.text.empty());
        if (!row.text.empty()) fuzz::Require(row.value == -1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::NullReporter reporter;
    test::NullModelObserver observer;
    auto model = std::make_unique<ConfigModel>();
    bool overlay = size > 0 && (data[0] & 1);
    std::string file = size > 0 ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1) : std::string();

    static const test::ScratchDir folder = fuzz::InMemoryScratchDir();
    if (overlay) {
        fuzz::Require(ReadConfigurationFile(*model, folder.Write("master.cfg", kMaster), reporter, observer));
        fuzz::Require(model->comment == kMasterComment && model->model == "RP-DEMO");
    }
    bool whole = ReadConfigurationFile(*model, folder.Write("fuzz.cfg", file), reporter, observer);
    CheckRows(*model);

    if (overlay) {
        // An overlay is refused whole, or keeps every setting of the master.
        bool refused = true;
        for (const SettingRow& row : model->settings) refused = refused && row.IsEmpty();
        if (!refused)
            for (const std::string& name : kMasterNames) fuzz::Require(FindSetting(model->settings, name) >= 0);
        return 0;
    }
    if (!whole) return 0;

    // Whatever was read is written and reads back to the same settings, in the same order.
    MakeAllWritable(*model);
    const std::string path = folder.File("out.cfg");
    WriteConfigurationFile(*model, path, reporter);
    std::vector<Written> expected;
    for (const SettingRow& row : model->settings)
        if (IsSettingRow(row) && MachineLineLength(row) < static_cast<size_t>(kMaxConfigLineLength))
            expected.push_back({row.name, row.value, row.text});

    auto readBack = std::make_unique<ConfigModel>();
    bool reread = ReadConfigurationFile(*readBack, path, reporter, observer);
    CheckRows(*readBack);
    if (!reread) return 0;  // the custom comments and banners took more rows than there are

    std::vector<Written> actual;
    for (const SettingRow& row : readBack->settings)
        if (IsSettingRow(row)) actual.push_back({row.name, row.value, row.text});
    fuzz::Require(actual.size() == expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        fuzz::Require(actual[i].name == expected[i].name);
        // A double quote in the name moves where the text is taken from.
        if (expected[i].name.find('"') != std::string::npos) continue;
        fuzz::Require(actual[i].value == expected[i].value && actual[i].text == expected[i].text);
    }
    return 0;
}
