#include <algorithm>
#include <functional>
#include <utility>

#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "protocol/ConfigurationReader.h"

namespace varnel::test {
namespace {

using Kind = RecordingReporter::Kind;

class ConfigurationReaderTest : public ProtocolFixture {
protected:
    ConfigurationReaderTest() {
        printer.Byte(1, 12) = 0xD8;  // Baud_Rate: bits 3-4 hold 3
        printer.Byte(2, 4) = 0x12;   // Big_Number: 0x1234
        printer.Byte(2, 5) = 0x34;
        printer.Byte(1, 7) = 0x01;   // Locked: 1
        printer.texts[3] = "Hello";
    }

    // The configuration the printer above holds.
    void LoadMatchingConfiguration() {
        SetSetting(0, "Model", -1, "RP-TEST");
        SetSetting(1, "Baud_Rate", 3);
        SetSetting(2, "Big_Number", 4660);
        SetSetting(3, "Header_Text", -1, "Hello");
        SetSetting(4, "Locked", 0);  // differs, but is not writable and so not compared
        model->comment = "kept";
    }

    std::vector<std::string> CommandsSent() const {
        std::vector<std::string> out;
        for (const std::string& c : printer.commands) out.push_back(Hex(c));
        return out;
    }

    int32_t Value(const char* name) const { return model->settings[FindSetting(model->settings, name)].value; }
};

TEST_F(ConfigurationReaderTest, ReadsEveryDescribedSettingIntoAnEmptyConfiguration) {
    ASSERT_EQ(ReadConfiguration(context, ReadMode::Read), 1);

    const std::vector<std::string> sent = CommandsSent();
    ASSERT_GE(sent.size(), 5u);
    const std::vector<std::string> exchange(sent.end() - 5, sent.end());
    EXPECT_EQ(exchange, (std::vector<std::string>{"1B 7E 67 01 0C 01", "1B 7E 67 02 04 01", "1B 7E 67 02 05 01",
                                                   "1B 7E 72 03", "1B 7E 67 01 07 01"}));
    EXPECT_EQ(model->settings[FindSetting(model->settings, "Model")].text, "RP-TEST");
    EXPECT_EQ(Value("Baud_Rate"), 3);
    EXPECT_EQ(Value("Big_Number"), 4660);
    EXPECT_EQ(model->settings[FindSetting(model->settings, "Header_Text")].text, "Hello");
    EXPECT_EQ(Value("Locked"), 1) << "read mode reads settings that cannot be written";
    EXPECT_EQ(FindSetting(model->settings, "Unlisted"), -1) << "not in the options file";
    EXPECT_TRUE(model->modified);
    EXPECT_TRUE(HasEntry(Kind::Status, "Reading****"));
    EXPECT_TRUE(HasEntry(Kind::Status, "End Reading Configuration."));
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(ConfigurationReaderTest, SameModelKeepsOtherRows) {
    SetSetting(0, "Model", -1, "RP-TEST");
    SetSetting(5, "Custom", 42);
    model->settings[6].comment = "; my note";
    ASSERT_EQ(ReadConfiguration(context, ReadMode::Read), 1);
    EXPECT_EQ(Value("Custom"), 42);
    EXPECT_EQ(model->settings[6].comment, "; my note");
    EXPECT_EQ(Value("Baud_Rate"), 3);
}

TEST_F(ConfigurationReaderTest, OtherModelStartsAfreshAfterTheSaveQuestion) {
    SetSetting(0, "Model", -1, "RP-OTHER");
    SetSetting(1, "Custom", 42);
    model->modified = true;
    model->configFilePath = "old.cfg";
    ASSERT_EQ(ReadConfiguration(context, ReadMode::Read), 1);
    EXPECT_EQ(saveQuestion.asks, 1);
    EXPECT_EQ(FindSetting(model->settings, "Custom"), -1);
    EXPECT_EQ(model->settings[FindSetting(model->settings, "Model")].text, "RP-TEST");
    EXPECT_EQ(model->configFilePath, "");
}

TEST_F(ConfigurationReaderTest, OtherModelCancelledAtTheSaveQuestionStopsTheReadWithNothingChanged) {
    SetSetting(0, "Model", -1, "RP-OTHER");
    SetSetting(1, "Custom", 42);
    model->modified = true;
    model->configFilePath = "old.cfg";
    saveQuestion.goOn = false;
    EXPECT_EQ(ReadConfiguration(context, ReadMode::Read), 0);
    EXPECT_EQ(saveQuestion.asks, 1);
    EXPECT_EQ(Value("Custom"), 42);
    EXPECT_EQ(model->settings[0].text, "RP-OTHER");
    EXPECT_EQ(model->configFilePath, "old.cfg");
    EXPECT_TRUE(model->modified);
}

TEST_F(ConfigurationReaderTest, StrayLeadingByteStillGivesThePrintersValues) {
    printer.strayBytes.push_back('\x05');  // the firmware reply's
    printer.strayBytes.push_back('\x33');  // Baud_Rate's reply
    printer.strayBytes.push_back('\x44');  // first byte of Big_Number
    ASSERT_EQ(ReadConfiguration(context, ReadMode::Read), 1);
    EXPECT_EQ(Value("Baud_Rate"), 3);
    EXPECT_EQ(Value("Big_Number"), 4660);
    EXPECT_EQ(model->settings[FindSetting(model->settings, "Header_Text")].text, "Hello");
}

TEST_F(ConfigurationReaderTest, MoreThanTenWrongHeadsInARowAbort) {
    struct Case {
        int wrongHeads;
        int result;
    };
    for (const Case c : {Case{10, 1}, Case{11, 0}}) {
        reporter.entries.clear();
        ClearSettings(model->settings);
        printer.wrongByteHeads = c.wrongHeads;
        EXPECT_EQ(ReadConfiguration(context, ReadMode::Read), c.result) << c.wrongHeads;
        const bool aborted = !ErrorsWithCode(2).empty();
        EXPECT_EQ(aborted, c.result == 0) << c.wrongHeads;
        if (aborted) {
            EXPECT_EQ(ErrorsWithCode(2), std::vector<std::string>{"Read failures exceeded 10, aborting."});
        }
        EXPECT_FALSE(backend.IsOpen());
    }
}

TEST_F(ConfigurationReaderTest, AReplyWithoutItsDataByteIsAskedForAgainNotStoredAsZero) {
    struct Case {
        const char* what;
        std::string strayByte;  // in front of the reply
        int64_t dataLateByMs;   // the data byte's delay; -1: it never comes
        int result;
    };
    const Case cases[] = {
        {"late data byte", "", 250, 1},
        {"late data byte behind a stray byte", "\x33", 250, 1},
        {"data byte never sent", "", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearSettings(model->settings);
        SetSetting(0, "Model", -1, "RP-TEST");
        SetSetting(1, "Baud_Rate", 1);
        reporter.entries.clear();
        auto playPrinter = backend.responder;
        // The first reply to Baud_Rate's byte read comes without its data byte in time; when the
        // byte never comes, no reply has it.
        bool first = true;
        backend.responder = [&](FakePortBackend& port, const std::string& written) {
            playPrinter(port, written);
            if (written != std::string("\x1B~g\x01\x0C\x01", 6)) return;
            if (!std::exchange(first, false) && c.dataLateByMs >= 0) return;
            const std::string data = port.replies.back().bytes.substr(3);
            port.replies.back().bytes = c.strayByte + "~g\x01";
            if (c.dataLateByMs >= 0) port.QueueReplyAt(clock.now + c.dataLateByMs, data);
        };
        EXPECT_EQ(ReadConfiguration(context, ReadMode::Read), c.result);
        EXPECT_NE(Value("Baud_Rate"), 0) << "the missing byte was taken as a stored 0";
        if (c.result == 1) {
            EXPECT_EQ(Value("Baud_Rate"), 3);
        } else {
            EXPECT_EQ(ErrorsWithCode(2), std::vector<std::string>{"Read failures exceeded 10, aborting."});
        }
        backend.responder = playPrinter;
        backend.replies.clear();
    }
}

TEST_F(ConfigurationReaderTest, WrongHeadsSlowTheRestOfTheRunDown) {
    printer.wrongByteHeads = 1;
    ASSERT_EQ(ReadConfiguration(context, ReadMode::Read), 1);
    EXPECT_EQ(std::count(clock.sleeps.begin(), clock.sleeps.end(), 50), 5) << "every request after the wrong head waits";
    EXPECT_EQ(Value("Baud_Rate"), 3);
}

TEST_F(ConfigurationReaderTest, VerificationPassesOnTheSameConfiguration) {
    LoadMatchingConfiguration();
    model->modified = false;
    ASSERT_EQ(ReadConfiguration(context, ReadMode::Verify), 1);
    EXPECT_TRUE(HasEntry(Kind::Status, "End Configuration Verification. Verification OK"));
    EXPECT_TRUE(reporter.Messages().empty());
    EXPECT_EQ(Value("Locked"), 0) << "verification changes nothing";
    EXPECT_EQ(model->comment, "kept");
    // The Model row is not read in verify mode, and Locked is not writable.
    for (const std::string& c : CommandsSent()) EXPECT_NE(c, "1B 7E 67 01 07 01");
}

TEST_F(ConfigurationReaderTest, VerificationReportsEveryDifference) {
    LoadMatchingConfiguration();
    SetSetting(1, "Baud_Rate", 1);
    SetSetting(2, "Big_Number", 1000);
    SetSetting(3, "Header_Text", -1, "Goodbye");
    EXPECT_EQ(ReadConfiguration(context, ReadMode::Verify), 0);

    std::vector<std::pair<std::string, int>> messages;
    for (const auto& e : reporter.entries)
        if (e.kind == Kind::Message) messages.emplace_back(e.text, e.eventCode);
    EXPECT_EQ(messages,
              (std::vector<std::pair<std::string, int>>{
                  {"\"Baud_Rate\" does not verify.\nPrinter:  \"115200\"  vs. Configuration file:  \"19200\"\n"
                   "Continuing verification.",
                   10},
                  {"\"Big_Number\" does not verify.\nPrinter:  \"4660\"  vs. Configuration file:  \"1000\"\n"
                   "Continuing verification.",
                   10},
                  {"String does not verify: \"Hello\" vs. \"Goodbye\"\nContinuing verification.", 10}}));
    EXPECT_EQ(reporter.Errors().back(),
              "Verification of printer's configuration has failed, see \"Varnel.log\" for log history.");
    EXPECT_EQ(Value("Baud_Rate"), 1);
}

TEST_F(ConfigurationReaderTest, UnlistedValueVerifiesAsUndetermined) {
    LoadMatchingConfiguration();
    SetSetting(1, "Baud_Rate", 7);
    EXPECT_EQ(ReadConfiguration(context, ReadMode::Verify), 0);
    EXPECT_EQ(reporter.Messages().front(),
              "\"Baud_Rate\" does not verify.\nPrinter:  \"115200\"  vs. Configuration file:  \"Undetermined value\"\n"
              "Continuing verification.");
}

TEST_F(ConfigurationReaderTest, ARangeDifferenceShowsBothNumbersInTheirText) {
    WriteFileBytes("rptest.map", WithMapLock(std::string(kTestMapBody) + "Print_Speed 9.0 3 1\n"));
    WriteFileBytes("rptest.opt", WithOptionsLock(std::string(kTestOptionsBody) +
                                                 "Print_Speed General 1-7 Level %i\nPrint_Speed General Y CanBeWritten\n"));
    printer.Byte(1, 9) = 3;
    LoadMatchingConfiguration();
    SetSetting(5, "Print_Speed", 4);
    std::vector<VerifyDifference> handedOn;
    EXPECT_EQ(VerifyConfiguration(context, [&](const VerifyDifference& d) { handedOn.push_back(d); }),
              0);
    EXPECT_EQ(reporter.Messages(),
              std::vector<std::string>{"\"Print_Speed\" does not verify.\nPrinter:  \"Level 3\"  vs. Configuration "
                                       "file:  \"Level 4\"\nContinuing verification."});
    EXPECT_EQ(handedOn, (std::vector<VerifyDifference>{{"Print_Speed", "Level 3", "Level 4"}}));
}

TEST_F(ConfigurationReaderTest, AVerificationListsEveryDifferenceHoweverMany) {
    constexpr int kSettings = 13;
    std::string map = kTestMapBody;
    std::string options = kTestOptionsBody;
    LoadMatchingConfiguration();
    for (int i = 0; i < kSettings; ++i) {
        const std::string name = "Extra_" + std::to_string(i);
        map += name + " " + std::to_string(20 + i) + ".0 8 1\n";
        options += name + " General 0-255 %i\n" + name + " General Y CanBeWritten\n";
        SetSetting(5 + i, name, 1);
    }
    WriteFileBytes("rptest.map", WithMapLock(map));
    WriteFileBytes("rptest.opt", WithOptionsLock(options));
    std::vector<VerifyDifference> handedOn;
    EXPECT_EQ(VerifyConfiguration(context, [&](const VerifyDifference& d) { handedOn.push_back(d); }),
              0);
    ASSERT_EQ(handedOn.size(), static_cast<size_t>(kSettings));
    EXPECT_EQ(handedOn.back(), (VerifyDifference{"Extra_12", "0", "1"}));
    EXPECT_EQ(reporter.Messages().size(), static_cast<size_t>(kSettings));
    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{
                  "Verification of printer's configuration has failed, see \"Varnel.log\" for log history."});
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(ConfigurationReaderTest, WrongHeadsStillEndAVerificationThatAlsoFindsDifferences) {
    LoadMatchingConfiguration();
    SetSetting(1, "Baud_Rate", 1);
    printer.wrongByteHeads = 11;
    EXPECT_EQ(ReadConfiguration(context, ReadMode::Verify), 0);
    EXPECT_EQ(ErrorsWithCode(2), std::vector<std::string>{"Read failures exceeded 10, aborting."});
}

TEST_F(ConfigurationReaderTest, VerificationOfAnotherSeriesIsRefused) {
    SetSetting(0, "Model", -1, "RP-OTHER");
    EXPECT_EQ(ReadConfiguration(context, ReadMode::Verify), 0);
    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{"Configuration for Series: RP-OTHER does not match attached printer, Series "
                                       "RP-TEST.  Load correct configuration for this printer from file or by reading "
                                       "it from the attached printer."});
    EXPECT_EQ(backend.opens.size(), 2u) << "only the identification talked to the printer";
}

TEST_F(ConfigurationReaderTest, MissingPortIsReported) {
    model->portName.clear();
    EXPECT_EQ(ReadConfiguration(context, ReadMode::Read), 0);
    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{"I/O Port not specified, or I/O Port not specified before verify parameter."});
    EXPECT_EQ(backend.openCalls, 0);
}

TEST_F(ConfigurationReaderTest, LocationsOutsideTheTableAreRefusedNotWrapped) {
    WriteFileBytes("rptest.map", WithMapLock(std::string(kTestMapBody) + "Far_Away 300.0 1 1\nBad_Table 1.0 1 16\n"));
    WriteFileBytes("rptest.opt",
                   WithOptionsLock(std::string(kTestOptionsBody) +
                                         "Far_Away General 0 Off\nBad_Table General 0 Off\n"));
    ASSERT_EQ(ReadConfiguration(context, ReadMode::Read), 1);
    EXPECT_EQ(reporter.Errors(),
              (std::vector<std::string>{"Internal error reading configuration from printer. Offset out of range.",
                                        "Internal error reading configuration from printer. Table# out of range."}));
    for (const std::string& c : CommandsSent()) EXPECT_NE(c, "1B 7E 67 01 2C 01") << "offset 300 wrapped to 44";
}

TEST_F(ConfigurationReaderTest, WideTextIsReadNoFurtherThanTheBuffer) {
    WriteFileBytes("rptest.map", WithMapLock(std::string(kTestMapBody) + "Long_Text 0 400 4\n"));
    WriteFileBytes("rptest.opt", WithOptionsLock(std::string(kTestOptionsBody) + "Long_Text General S Long\n"));
    printer.texts[4] = std::string(350, 'x');
    ASSERT_EQ(ReadConfiguration(context, ReadMode::Read), 1);
    for (const auto& read : backend.reads) EXPECT_LT(read.size, 300u);
    EXPECT_EQ(model->settings[FindSetting(model->settings, "Long_Text")].text, std::string(296, 'x'));
}

TEST_F(ConfigurationReaderTest, FullConfigurationReportsSettingsThatFindNoRow) {
    for (int i = 0; i < kMaxSettings; ++i) SetSetting(i, "Row" + std::to_string(i), 0);
    SetSetting(0, "Model", -1, "RP-TEST");
    SetSetting(1, "Baud_Rate", 0);
    ASSERT_EQ(ReadConfiguration(context, ReadMode::Read), 1);
    EXPECT_EQ(Value("Baud_Rate"), 3);
    const std::vector<std::string> errors = reporter.Errors();
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_NE(errors[0].find("Big_Number"), std::string::npos);
    EXPECT_NE(errors[1].find("Header_Text"), std::string::npos);
    EXPECT_NE(errors[2].find("Locked"), std::string::npos);
}

TEST_F(ConfigurationReaderTest, SilentPrinterEndsTheRunKeepingWhatArrived) {
    LoadMatchingConfiguration();
    SetSetting(1, "Baud_Rate", 0);
    int byteReads = 0;
    auto playPrinter = backend.responder;
    backend.responder = [&](FakePortBackend& port, const std::string& written) {
        if (written.size() == 6 && written[2] == 'g' && ++byteReads > 1) return;  // stops answering
        playPrinter(port, written);
    };
    EXPECT_EQ(ReadConfiguration(context, ReadMode::Read), 0);
    EXPECT_EQ(reporter.Errors().back(), kClosingPortError);
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_EQ(Value("Baud_Rate"), 3) << "the value that arrived stays";
    EXPECT_EQ(model->comment, "") << "a read starts without the file's comment";
    EXPECT_EQ(model->model, "RP-TEST");
}

// What the window shows of the configuration: its model, its comment and its settings.
struct ShownConfiguration {
    std::string model;
    std::string comment;
    std::vector<std::pair<std::string, int32_t>> settings;
    bool operator==(const ShownConfiguration&) const = default;
};

ShownConfiguration Shown(const ConfigModel& model) {
    ShownConfiguration shown{model.model, model.comment, {}};
    for (const SettingRow& row : model.settings)
        if (!row.name.empty()) shown.settings.emplace_back(row.name + "=" + row.text, row.value);
    return shown;
}

TEST_F(ConfigurationReaderTest, ARunThatFailsBeforeAnyValueArrivedLeavesTheConfigurationAsItWas) {
    struct Case {
        const char* what;
        ReadMode mode;
        std::function<void()> breakIt;
    };
    const Case cases[] = {
        {"no port", ReadMode::Read, [this] { model->portName.clear(); }},
        {"port cannot open", ReadMode::Read, [this] { backend.failOpen.Always(); }},
        {"silent printer", ReadMode::Read, [this] { printer.silent = true; }},
        // The identification opens the port twice; the exchange's own open is the third.
        {"exchange cannot open", ReadMode::Read, [this] { backend.failOpen.From(backend.openCalls + 3); }},
        {"verify, port cannot open", ReadMode::Verify, [this] { backend.failOpen.Always(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        model->portName = "127.0.0.1:9100";
        backend.failOpen.Never();
        printer.silent = false;
        LoadMatchingConfiguration();
        model->model = "RP-TEST";
        const ShownConfiguration before = Shown(*model);
        c.breakIt();
        EXPECT_EQ(ReadConfiguration(context, c.mode), 0);
        EXPECT_EQ(Shown(*model), before);
    }
}

TEST_F(ConfigurationReaderTest, ANewConfigurationForAnotherModelStaysEmptyWhenTheReadThenFails) {
    SetSetting(0, "Model", -1, "RP-OTHER");
    SetSetting(1, "Custom", 42);
    model->comment = "other printer";
    backend.failOpen.From(3);  // the identification passes, the exchange cannot open
    EXPECT_EQ(ReadConfiguration(context, ReadMode::Read), 0);
    EXPECT_EQ(FindSetting(model->settings, "Custom"), -1);
    EXPECT_EQ(model->comment, "");
    EXPECT_EQ(model->model, "RP-TEST");
}

TEST_F(ConfigurationReaderTest, ProgressCountsTheSettingsAskedOfThePrinter) {
    ASSERT_EQ(ReadConfiguration(context, ReadMode::Read), 1);
    // Baud_Rate, Big_Number, Header_Text, Locked: the model row and unlisted settings are not asked.
    ASSERT_EQ(reporter.progress.size(), 4u);
    for (size_t i = 0; i < reporter.progress.size(); ++i) {
        EXPECT_EQ(reporter.progress[i].done, static_cast<int64_t>(i + 1));
        EXPECT_EQ(reporter.progress[i].total, 4);
    }
}

TEST_F(ConfigurationReaderTest, ACancelStopsBetweenSettingsAndSaysHowFarItCame) {
    struct Case {
        ReadMode mode;
        const char* text;
    } cases[] = {
        {ReadMode::Read, "Read cancelled after 2 of 4 settings: the configuration is kept as it was before the read."},
        {ReadMode::Verify, "Verify cancelled after 2 of 3 settings: the settings after them were not compared."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        LoadMatchingConfiguration();
        reporter.entries.clear();
        reporter.progress.clear();
        reporter.cancelAfterProgress = 2;
        const size_t commandsBefore = printer.commands.size();
        EXPECT_EQ(ReadConfiguration(context, c.mode), 0);
        EXPECT_EQ(reporter.Messages().back(), c.text);
        EXPECT_TRUE(reporter.Errors().empty()) << "a cancel is no communications error";
        EXPECT_FALSE(backend.IsOpen());
        // Byte reads of Baud_Rate and Big_Number's two bytes, nothing after them.
        const std::vector<std::string> sent = CommandsSent();
        EXPECT_EQ(sent.back(), "1B 7E 67 02 05 01");
        EXPECT_GT(printer.commands.size(), commandsBefore);
    }
}

}  // namespace
}  // namespace varnel::test
