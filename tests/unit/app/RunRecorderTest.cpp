// The record of a run filled by the application object as it carries out the command line,
// against the fake printer.
#include "app/RunRecorder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CVarnelApp.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"
#include "unit/protocol/FakePrinter.h"
#include "unit/protocol/ProtocolFixture.h"

namespace varnel {
namespace {

using test::WriteFileBytes;

constexpr const char* kPort = "127.0.0.1:9100";
const std::string kVerificationFailed =
    "Verification of printer's configuration has failed, see \"Varnel.log\" for log history.";

std::vector<std::string> ActionTexts(const RunRecord& record) {
    std::vector<std::string> out;
    for (const RecordedAction& a : record.actions)
        out.push_back(a.action + (a.argument ? "(" + *a.argument + ")" : "") + (a.ok ? " ok" : " failed"));
    return out;
}

// The application object on the fake port, in a working folder with the test printer's map and
// options files; the printer holds Baud_Rate 3 ("115200"), Big_Number 4660 and "Hello".
class RunRecorderTest : public testing::Test {
protected:
    RunRecorderTest() {
        backend_->clock = &clock_;
        test::SetUpTestPrinter(printer_);
        app_.SetTimeStampSource([] { return std::string("Monday, March 02, 10:20:30"); });
        Set(0, "Model", -1, "RP-TEST");
        Set(1, "Baud_Rate", 3);
        Set(2, "Big_Number", 4660);
        Set(3, "Header_Text", -1, "Hello");
    }

    void Set(int row, const std::string& name, int32_t value, const std::string& text = "") {
        app_.model().settings[row].name = name;
        app_.model().settings[row].value = value;
        app_.model().settings[row].text = text;
    }

    std::optional<int> Run(const std::vector<std::string>& parameters) {
        RunRecorder recorder(app_, record_);
        app_.Startup();
        return app_.RunCommandLine(parameters);
    }

    // The working folder, where the map and options searches look.
    test::ScratchDir folder_ = [] {
        test::ScratchDir dir;
        dir.Enter();
        return dir;
    }();
    test::FakeClock clock_;
    test::MemorySettingsStore store_;
    test::RecordingUserInterface ui_;
    test::FakePortBackend* backend_ = nullptr;  // owned by the application's port
    CVarnelApp app_{store_, clock_, ui_, nullptr, FakeBackend()};
    test::FakePrinter printer_{*backend_};
    RunRecord record_;

private:
    std::unique_ptr<PortBackend> FakeBackend() {
        auto backend = std::make_unique<test::FakePortBackend>();
        backend_ = backend.get();
        return backend;
    }
};

TEST_F(RunRecorderTest, VerificationWithDifferencesIsRecordedWithTheRunsPrinter) {
    Set(1, "Baud_Rate", 1);
    Set(3, "Header_Text", -1, "Goodbye");
    EXPECT_EQ(Run({"sa", std::string("port:") + kPort, "ser:SN123456789", "verify", "exit"}), 0);

    EXPECT_EQ(ActionTexts(record_), (std::vector<std::string>{"sa ok", "port(127.0.0.1:9100) ok",
                                                              "ser(SN123456789) ok", "verify failed"}));
    EXPECT_EQ(record_.differences, (std::vector<VerifyDifference>{{"Baud_Rate", "115200", "19200"},
                                                                 {"Header_Text", "Hello", "Goodbye"}}));
    EXPECT_EQ(record_.errors, std::vector<std::string>{kVerificationFailed});
    EXPECT_EQ(record_.firmware, "1.23");
    EXPECT_EQ(record_.serialNumber, "SN123456789");
    EXPECT_EQ(record_.port, kPort) << "taken when the recorder goes";
}

TEST_F(RunRecorderTest, FailedActionsFirmwareCheckAndRefusedSerialNumber) {
    EXPECT_EQ(Run({std::string("port:") + kPort, "sa", "ser:SHORT", "isfw:1.2x"}), 0);
    EXPECT_EQ(ActionTexts(record_), (std::vector<std::string>{"port(127.0.0.1:9100) ok", "sa ok", "ser(SHORT) failed",
                                                              "isfw(1.2x) failed"}));
    EXPECT_EQ(record_.errors, std::vector<std::string>{"Serial Number must be 11 characters long!!!"});
    EXPECT_EQ(record_.firmware, "1.23") << "read by the check, though the model does not keep it";
    EXPECT_EQ(app_.model().firmwareRevision, "");
    EXPECT_EQ(record_.serialNumber, std::nullopt);
    EXPECT_TRUE(record_.differences.empty());
}

TEST_F(RunRecorderTest, PassingVerificationAndFirmwareRevisionCheck) {
    EXPECT_EQ(Run({"sa", std::string("port:") + kPort, "isfwr:1.23"}), 1);
    EXPECT_EQ(ActionTexts(record_), (std::vector<std::string>{"sa ok", "port(127.0.0.1:9100) ok", "isfwr(1.23) ok"}));
    EXPECT_TRUE(record_.errors.empty());
    EXPECT_EQ(record_.firmware, "1.23");

    RunRecord second;
    RunRecorder recorder(app_, second);
    EXPECT_EQ(app_.RunCommandLine({"verify"}), 1);
    EXPECT_EQ(ActionTexts(second), std::vector<std::string>{"verify ok"});
    EXPECT_TRUE(second.differences.empty());
}

TEST_F(RunRecorderTest, AnActionThatEndsTheProcessFromInsideStaysFailed) {
    WriteFileBytes("rptest.opt", std::string(test::kTestOptionsBody) + "Setup Lock 1\n");
    EXPECT_EQ(Run({"sa", std::string("port:") + kPort, "verify", "exit"}), 0);
    EXPECT_EQ(ActionTexts(record_), (std::vector<std::string>{"sa ok", "port(127.0.0.1:9100) ok", "verify failed"}));
    ASSERT_EQ(record_.errors.size(), 1u);
    EXPECT_NE(record_.errors[0].find("rptest.opt"), std::string::npos) << record_.errors[0];
    EXPECT_EQ(record_.firmware, "1.23") << "identified before the options file was refused";
}

TEST_F(RunRecorderTest, QuietProbingErrorsAreNotRecorded) {
    RunRecorder recorder(app_, record_);
    app_.ReportError("logged", 0);
    {
        QuietProbe quiet(app_);
        app_.ReportError("probing", 0);
    }
    EXPECT_EQ(record_.errors, std::vector<std::string>{"logged"});
}

TEST_F(RunRecorderTest, WindowVerificationHandsDifferencesToItsSinkAndTheRecord) {
    Set(2, "Big_Number", 1000);
    app_.model().portName = kPort;
    std::vector<VerifyDifference> shown;
    {
        RunRecorder recorder(app_, record_);
        EXPECT_EQ(app_.VerifyConfiguration([&shown](const VerifyDifference& d) { shown.push_back(d); }), 0);
    }
    const std::vector<VerifyDifference> expected{{"Big_Number", "4660", "1000"}};
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(record_.differences, expected);

    shown.clear();
    EXPECT_EQ(app_.VerifyConfiguration([&shown](const VerifyDifference& d) { shown.push_back(d); }), 0);
    EXPECT_EQ(shown, expected) << "without a record";
    EXPECT_EQ(record_.differences.size(), 1u) << "the recorder is gone";
}

}  // namespace
}  // namespace varnel
