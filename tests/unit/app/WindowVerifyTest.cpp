// The window's Verify command against the fake printer: one table for all differences, the same
// log as the command-line verification.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CVarnelApp.h"
#include "app/Log.h"
#include "base/VerificationTable.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"
#include "unit/protocol/FakePrinter.h"
#include "unit/protocol/ProtocolFixture.h"

namespace varnel {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

const std::string kFailedBox =
    "Configuration Error: Verification of printer's configuration has failed, see \"Varnel.log\" for log history.";
const std::string kPassedBox = "Configuration Message: End Configuration Verification. Verification OK";

// The printer holds Baud_Rate 3 ("115200"), Big_Number 4660 and "Hello"; the configuration
// starts equal to it.
class WindowVerify : public testing::Test {
protected:
    WindowVerify() {
        folder_.Enter();
        test::SetUpTestPrinter(printer_);
        backend_->clock = &clock_;
        app_.SetTimeStampSource([] { return std::string("Monday, March 02, 10:20:30"); });
        app_.CmdPort("127.0.0.1:9100");
        Set(0, "Model", -1, "RP-TEST");
        Set(1, "Baud_Rate", 3);
        Set(2, "Big_Number", 4660);
        Set(3, "Header_Text", -1, "Hello");
    }

    void Set(int row, const std::string& name, int32_t value, const std::string& text = "") {
        SettingRow& setting = app_.model().settings[row];
        setting.name = name;
        setting.value = value;
        setting.text = text;
    }

    void ChangeThreeSettings() {
        Set(1, "Baud_Rate", 1);
        Set(2, "Big_Number", 1000);
        Set(3, "Header_Text", -1, "Good, \"bye\"");
    }

    // The log the verifications so far wrote, emptied for the next.
    std::string TakeLog() {
        std::string log = ReadFileBytes(kLogFileName);
        WriteFileBytes(kLogFileName, "");
        return log;
    }

    test::ScratchDir folder_;
    test::FakeClock clock_;
    test::MemorySettingsStore store_;
    test::RecordingUserInterface ui_;
    test::FakePortBackend* backend_ = nullptr;  // owned by the application's port
    CVarnelApp app_{store_, clock_, ui_, nullptr, [this] {
                        auto backend = std::make_unique<test::FakePortBackend>();
                        backend_ = backend.get();
                        return backend;
                    }()};
    test::FakePrinter printer_{*backend_};
};

TEST_F(WindowVerify, DifferencesFormOneTableAndLogAsTheCommandLineDoes) {
    ChangeThreeSettings();
    EXPECT_EQ(app_.CmdVerify(), 0);
    const std::string commandLineLog = TakeLog();
    ASSERT_EQ(ui_.boxes.size(), 4u) << "the command line boxes every difference";
    ui_.boxes.clear();

    EXPECT_EQ(app_.VerifyInWindow(), 0);
    EXPECT_EQ(TakeLog(), commandLineLog);
    const size_t baudRate = commandLineLog.find("\"Baud_Rate\" does not verify.");
    const size_t bigNumber = commandLineLog.find("Printer:  \"4660\"  vs. Configuration file:  \"1000\"");
    const size_t failed = commandLineLog.find("Verification of printer's configuration has failed");
    ASSERT_NE(failed, std::string::npos);
    EXPECT_LT(baudRate, bigNumber);
    EXPECT_LT(bigNumber, failed);
    EXPECT_EQ(ui_.boxes, std::vector<std::string>{kFailedBox});
    EXPECT_EQ(ui_.verificationResults,
              (std::vector<std::vector<VerificationRow>>{{{"Baud_Rate", "115200", "19200"},
                                                          {"Big_Number", "4660", "1000"},
                                                          {"Header_Text", "Hello", "Good, \"bye\""}}}));

    // The hold ends with the verification: a later difference report is boxed again.
    EXPECT_EQ(app_.CmdVerify(), 0);
    EXPECT_EQ(ui_.boxes.size(), 5u);
}

TEST_F(WindowVerify, PassedVerificationIsBoxedAndShownInTheStatusLine) {
    EXPECT_EQ(app_.VerifyInWindow(), 1);
    EXPECT_EQ(ui_.boxes, std::vector<std::string>{kPassedBox});
    EXPECT_TRUE(ui_.verificationResults.empty());
    ASSERT_FALSE(ui_.statusTexts.empty());
    EXPECT_EQ(ui_.statusTexts.back(), "End Configuration Verification. Verification OK");
}

TEST_F(WindowVerify, SilentModesHideTheTableAndTheBoxesTheyHideOtherwise) {
    ChangeThreeSettings();
    app_.CmdSilent(1);
    EXPECT_EQ(app_.VerifyInWindow(), 0);
    EXPECT_EQ(ui_.boxes, std::vector<std::string>{kFailedBox}) << "errors are still boxed";
    EXPECT_TRUE(ui_.verificationResults.empty());

    ui_.boxes.clear();
    app_.CmdSilent(2);
    Set(1, "Baud_Rate", 3);
    Set(2, "Big_Number", 4660);
    Set(3, "Header_Text", -1, "Hello");
    EXPECT_EQ(app_.VerifyInWindow(), 1);
    EXPECT_TRUE(ui_.boxes.empty());
}

}  // namespace
}  // namespace varnel
