#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DemoModel.h"
#include "PrinterMemory.h"
#include "base/ExitRequest.h"
#include "base/TextNumbers.h"
#include "model/ConfigModel.h"
#include "model/DescriptionLines.h"
#include "model/DirectorySearch.h"
#include "model/MapFile.h"
#include "model/OptionsFile.h"
#include "protocol/FieldCodec.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"
#include "support/TestPaths.h"

// The demo printer model in examples/ must stay loadable and self-consistent: the demo, the
// simulator and the integration tests all stand on it.
namespace varnel {
namespace {

using test::RecordingReporter;

constexpr int kMaxTable = 15;
constexpr int kWordWidth = 16;
constexpr int kBitsPerByte = 8;

std::string Example(const std::string& name) { return test::ExamplesDir() + "/" + name; }

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& text : texts) all += text + "\n";
    return all;
}

bool IsTextSetting(const OptionsTable& options, const std::string& name) {
    int row = FindOption(options, name, -1);
    return row >= 0 && options[row].MarksTextSetting();
}

class ExamplesTest : public ::testing::Test {
protected:
    // The lock values are checked on their own below; here the options are wanted either way.
    void SetUp() override {
        model.lockOverride = true;
        ASSERT_TRUE(ReadOptionsFile(model, model.options, Example("rpdemo.opt"), false, reporter));
        reporter.entries.clear();
    }
    ConfigModel model;
    RecordingReporter reporter;
};

TEST_F(ExamplesTest, DescriptionFilesCarryCorrectLockValues) {
    model.lockOverride = false;
    try {
        EXPECT_TRUE(ReadOptionsFile(model, model.options, Example("rpdemo.opt"), true, reporter));
    } catch (const ExitRequest&) {
        ADD_FAILURE() << "rpdemo.opt: " << Joined(reporter.Messages());
    }
    reporter.entries.clear();
    for (const std::string& name : ListMatchingFiles(test::ExamplesDir(), "*.map")) {
        SCOPED_TRACE(name);
        reporter.entries.clear();
        EXPECT_TRUE(ReadMapFile(model, model.mapEntries, Example(name), true, reporter));
        EXPECT_TRUE(reporter.Errors().empty()) << Joined(reporter.Messages());
    }
}

TEST_F(ExamplesTest, OptionsDescribeTheModelInGroups) {
    int modelRow = FindOption(model.options, "Model", -1);
    ASSERT_GE(modelRow, 0);
    EXPECT_EQ(model.options[modelRow].valueText, "RP-DEMO");

    std::map<std::string, std::set<std::string>> groups;
    for (const OptionEntry& row : model.options) {
        if (row.name.empty() || row.name == "Model" || row.name == "Setup") continue;
        groups[row.group].insert(row.name);
    }
    std::set<std::string> names;
    for (const auto& [group, members] : groups) names.insert(members.begin(), members.end());
    EXPECT_GE(names.size(), 40u);
    EXPECT_LE(names.size(), 80u);
    EXPECT_GE(groups.size(), 5u);
    EXPECT_LE(groups.size(), 8u);
    EXPECT_EQ(groups.count("General_Settings"), 1u);
    EXPECT_GT(groups["Print_Setup"].size(), 18u);  // overflows one page of the edit dialog
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_GE(FindOption(model.options, name, -1), 0);  // every setting has a choice
        int attributes = 0;
        for (const OptionEntry& row : model.options) attributes += row.name == name && row.IsAttributeRow();
        EXPECT_EQ(attributes, 1);
        EXPECT_LE(name.size(), 18u);  // shows whole in the human-readable section
    }
    EXPECT_TRUE(IsTextSetting(model.options, "Firmware_ID"));
    EXPECT_TRUE(IsTextSetting(model.options, "Pre_Init_Command"));
    EXPECT_FALSE(IsWritable(model.options, "Firmware_ID"));
}

TEST_F(ExamplesTest, MapFieldsFitTheirTablesWithoutOverlap) {
    for (const std::string& name : ListMatchingFiles(test::ExamplesDir(), "*.map")) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(ReadMapFile(model, model.mapEntries, Example(name), false, reporter));
        EXPECT_EQ(model.mapEntries[FindMapRow(model.mapEntries, "Model")].text, "RP-DEMO");
        EXPECT_EQ(model.mapEntries[FindMapRow(model.mapEntries, "Firmware")].text.rfind("RPD1-1.", 0), 0u);

        std::map<int, std::map<int, std::string>> usedBits;  // table -> bit index -> setting
        std::set<int> textTables;
        for (const MapEntry& row : model.mapEntries) {
            if (row.name.empty() || row.name == "Model" || row.name == "Firmware" || row.name == "Setup") continue;
            SCOPED_TRACE(row.name);
            EXPECT_GE(row.table, 0);
            EXPECT_LE(row.table, kMaxTable);
            ASSERT_GE(FindOption(model.options, row.name, -1), 0) << "no options for a map setting";
            if (IsTextSetting(model.options, row.name)) {
                EXPECT_TRUE(textTables.insert(row.table).second);
                continue;
            }
            int offset = static_cast<int>(row.location);
            int bit = static_cast<int>(row.location * 10 - offset * 10 + 0.0001);
            EXPECT_TRUE((row.width >= 1 && row.width <= kBitsPerByte && bit + row.width <= kBitsPerByte) ||
                        (row.width == kWordWidth && bit == 0));
            for (int i = 0; i < row.width; ++i) {
                int position = offset * kBitsPerByte + bit + i;
                auto [it, fresh] = usedBits[row.table].emplace(position, row.name);
                EXPECT_TRUE(fresh) << "overlaps " << it->second;
            }
            // Every value the options offer fits the field.
            int64_t limit = int64_t{1} << row.width;
            for (const OptionEntry& option : model.options) {
                if (option.name != row.name || option.IsAttributeRow()) continue;
                EXPECT_LT(option.low == -1 ? option.value : option.high, limit);
            }
        }
        for (int table : textTables) EXPECT_EQ(usedBits.count(table), 0u) << "text table " << table << " shared";
    }
}

TEST_F(ExamplesTest, HelpPageHasAnAnchorForEverySetting) {
    std::string page = test::ReadFileBytes(Example("Varnel.html"));
    for (const OptionEntry& row : model.options) {
        if (row.name.empty() || row.name == "Model" || row.name == "Setup") continue;
        EXPECT_NE(page.find("name=\"" + row.name + "\""), std::string::npos) << row.name;
    }
}

// The machine-readable lines of the example configurations name settings of the model with
// values its options offer.
TEST_F(ExamplesTest, ConfigurationFilesHoldValuesTheOptionsOffer) {
    const std::set<std::string> identity = {"File_Comment", "Model", "Firmware_ID"};
    for (const char* file : {"rpdemo.cfg", "master.cfg", "overlay.cfg"}) {
        SCOPED_TRACE(file);
        std::ifstream in(Example(file), std::ios::binary);
        ASSERT_TRUE(in);
        DescriptionLineReader reader(in);
        int settings = 0;
        std::string fileComment;
        while (reader.Good()) {
            std::string line = reader.ReadLine();
            std::string_view t = SkipBlanks(line);
            if (t.size() < 2 || t[0] == ';' || t[0] == '&' || line.find("//") != std::string::npos) continue;
            std::string name(FirstToken(t));
            std::string_view rest = DropToken(t);
            SCOPED_TRACE(name);
            ++settings;
            if (rest.substr(0, 1) == "\"") {
                std::string text(rest.substr(1, rest.find('"', 1) - 1));
                if (name == "File_Comment") fileComment = text;
                if (!identity.count(name)) {
                    EXPECT_TRUE(IsTextSetting(model.options, name));
                }
                continue;
            }
            EXPECT_TRUE(IsWritable(model.options, name));
            EXPECT_GE(FindOption(model.options, name, AtoI(rest)), 0);
        }
        EXPECT_GT(settings, 5);
        if (std::string(file) == "master.cfg") {
            EXPECT_EQ(fileComment, "MASTER");
        }
    }
}

// The demo printer as the demo, the documentation and the tests start it: the simulator loaded
// with an example configuration through the map of its firmware. Read through the map of the
// firmware it runs, every setting the reader asks for must hold a value the options offer, or
// the view shows "*** Invalid Setting ***", the edit dialog and a write report internal errors.
struct DemoPrinterCase {
    const char* name;
    const char* loadedThrough;  // map the simulator placed the configuration with
    const char* configuration;
    const char* readThrough;  // map of the firmware the printer reports
};

void PrintTo(const DemoPrinterCase& c, std::ostream* out) { *out << c.name; }

class DemoPrinterTest : public ExamplesTest, public ::testing::WithParamInterface<DemoPrinterCase> {};

TEST_P(DemoPrinterTest, EveryValueTheReaderFindsIsAnOption) {
    const DemoPrinterCase& c = GetParam();
    sim::PrinterMemory memory;
    sim::LoadDemoModel(test::ReadFileBytes(Example(c.loadedThrough)), test::ReadFileBytes(Example(c.configuration)),
                       memory);
    ASSERT_TRUE(ReadMapFile(model, model.mapEntries, Example(c.readThrough), false, reporter));

    int numeric = 0;
    for (const MapEntry& row : model.mapEntries) {
        // The reader asks the printer for the settings the options describe, texts aside.
        if (row.name.empty() || row.name == "Model" || row.name == "Firmware" || row.name == "Setup") continue;
        if (FindOption(model.options, row.name, -1) < 0 || IsTextSetting(model.options, row.name)) continue;
        const FieldLocation field = DecodeField(row);
        const uint8_t first = memory.ReadByte(field.table, field.offset);
        const int32_t value = field.SpansTwoBytes()
                                  ? DecodeWordField(field, first, memory.ReadByte(field.table, field.offset + 1))
                                  : DecodeByteField(field, first);
        EXPECT_GE(FindOption(model.options, row.name, value), 0) << row.name << " = " << value;
        ++numeric;
    }
    EXPECT_GT(numeric, 40);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, DemoPrinterTest,
    ::testing::Values(DemoPrinterCase{"Firmware101", "rpdemo_101.map", "rpdemo.cfg", "rpdemo_101.map"},
                      DemoPrinterCase{"Firmware100", "rpdemo_100.map", "rpdemo.cfg", "rpdemo_100.map"},
                      DemoPrinterCase{"Master101", "rpdemo_101.map", "master.cfg", "rpdemo_101.map"},
                      // Firmware 1.01 flashed into a 1.00 printer: its new fields hold what 1.00 left.
                      DemoPrinterCase{"FlashedFrom100To101", "rpdemo_100.map", "rpdemo.cfg", "rpdemo_101.map"}),
    [](const ::testing::TestParamInfo<DemoPrinterCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnel
