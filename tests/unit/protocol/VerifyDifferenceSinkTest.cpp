// The differences of a verification handed to the caller one by one, beside the log's reports.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ProtocolFixture.h"
#include "protocol/ConfigurationReader.h"

namespace varnel {
namespace {

using test::ProtocolFixture;
using test::RecordingReporter;

class VerifyDifferenceSinkTest : public ProtocolFixture {
protected:
    VerifyDifferenceSinkTest() {
        printer.Byte(1, 12) = 0xD8;  // Baud_Rate 3: "115200"
        printer.Byte(2, 4) = 0x12;   // Big_Number 4660, a 16-bit field
        printer.Byte(2, 5) = 0x34;
        printer.Byte(1, 7) = 0x01;   // Locked 1, not writable
        printer.texts[3] = "Hello";
        SetSetting(0, "Model", -1, "RP-TEST");
        SetSetting(1, "Baud_Rate", 3);
        SetSetting(2, "Big_Number", 4660);
        SetSetting(3, "Header_Text", -1, "Hello");
        SetSetting(4, "Locked", 0);
    }

    std::vector<VerifyDifference> Verify() {
        std::vector<VerifyDifference> found;
        result = VerifyConfiguration(context, [&found](const VerifyDifference& d) { found.push_back(d); });
        return found;
    }

    int result = -1;
};

TEST_F(VerifyDifferenceSinkTest, EveryDifferenceArrivesAsTheLogShowsIt) {
    SetSetting(1, "Baud_Rate", 7);  // no option for 7
    SetSetting(2, "Big_Number", 1000);
    SetSetting(3, "Header_Text", -1, "Goodbye");
    EXPECT_EQ(Verify(), (std::vector<VerifyDifference>{{"Baud_Rate", "115200", "Undetermined value"},
                                                       {"Big_Number", "4660", "1000"},
                                                       {"Header_Text", "Hello", "Goodbye"}}));
    EXPECT_EQ(result, 0);
}

TEST_F(VerifyDifferenceSinkTest, ReportsAreThoseOfTheVerificationWithoutASink) {
    SetSetting(1, "Baud_Rate", 1);
    SetSetting(3, "Header_Text", -1, "Goodbye");
    const auto start = std::make_unique<ConfigModel>(*model);
    EXPECT_EQ(ReadConfiguration(context, ReadMode::Verify), 0);
    const std::vector<RecordingReporter::Entry> plain = reporter.entries;
    const std::vector<std::string> plainCommands = printer.commands;
    reporter.entries.clear();
    printer.commands.clear();
    *model = *start;

    EXPECT_EQ(Verify(), (std::vector<VerifyDifference>{{"Baud_Rate", "115200", "19200"},
                                                       {"Header_Text", "Hello", "Goodbye"}}));
    EXPECT_EQ(result, 0);
    ASSERT_EQ(reporter.entries.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(reporter.entries[i].kind, plain[i].kind) << i;
        EXPECT_EQ(reporter.entries[i].text, plain[i].text) << i;
        EXPECT_EQ(reporter.entries[i].eventCode, plain[i].eventCode) << i;
    }
    EXPECT_EQ(printer.commands, plainCommands);
}

TEST_F(VerifyDifferenceSinkTest, PassingVerificationHandsOnNothing) {
    EXPECT_TRUE(Verify().empty());
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(HasEntry(RecordingReporter::Kind::Status, "End Configuration Verification. Verification OK"));
}

}  // namespace
}  // namespace varnel
