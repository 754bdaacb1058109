#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ProtocolFixture.h"
#include "io/CommConfig.h"
#include "io/PortSettings.h"
#include "io/SettingsStore.h"
#include "protocol/PortCommands.h"

namespace varnel::test {
namespace {

using Kind = RecordingReporter::Kind;

const std::string kPreambleAndProbe = "1B 79 02 1B 79 08 1B 7E 7E 01 1B 7E 72 06";
const std::string kClosing = "1B 7E 7E FF";

// A serial printer on the fake line: answers the baud probe only while the line runs at its
// rate, and notes the line's rate at every probe it hears.
class PortCommandsTest : public ProtocolFixture {
protected:
    PortCommandsTest() {
        model->portName = "/dev/ttyS0";
        backend.responder = [this](FakePortBackend& port, const std::string& written) {
            if (written.find("\x1B~r\x06") == std::string::npos) return;
            const uint32_t rate = port.lineConfig ? port.lineConfig->dcb.BaudRate : 0;
            probedRates.push_back(rate);
            if (answerEveryRate) port.QueueReply(std::string("\x15"));
            else if (rate == printerRate) port.QueueReply(std::string("~r\x06OK", 5) + '\0');
        };
    }

    std::optional<uint32_t> StoredBaud() const {
        auto value = store.GetValue(kPortSettingsKey, "Comm Data");
        if (!value || value->data.size() != CommConfig::kSize) return std::nullopt;
        return CommConfig::FromBytes(value->data).dcb.BaudRate;
    }

    // The 14-byte probe as often as given, as separate writes.
    static std::vector<std::string> Probes(size_t count) { return std::vector<std::string>(count, kPreambleAndProbe); }

    std::vector<std::string> WrittenHex() const {
        std::vector<std::string> out;
        for (const std::string& w : backend.writeCalls) out.push_back(Hex(w));
        return out;
    }

    uint32_t printerRate = 38400;
    bool answerEveryRate = false;
    std::vector<uint32_t> probedRates;
};

TEST_F(PortCommandsTest, ResetSendsPreInitThenPreambleAndResetInOneOutput) {
    preInit = "\x1B@";
    ASSERT_EQ(ResetPrinter(context), 1);
    EXPECT_EQ(WrittenHex(), (std::vector<std::string>{"1B 40", "1B 79 02 1B 79 08 1B 7E 7E 01 1B 7E 78 FF"}));
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_EQ(clock.sleeps.back(), 1000);
    EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(PortCommandsTest, ResetWithoutPreInitSendsOnlyTheFourteenBytes) {
    model->portName = "127.0.0.1:9100";  // no port-kind check: a network printer is reset too
    ASSERT_EQ(ResetPrinter(context), 1);
    EXPECT_EQ(Hex(backend.allWritten), "1B 79 02 1B 79 08 1B 7E 7E 01 1B 7E 78 FF");
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(PortCommandsTest, ResetWhoseOutputFailsClosesWithTheCommunicationsError) {
    backend.failWrite.Always();
    EXPECT_EQ(ResetPrinter(context), 0);
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_TRUE(HasEntry(Kind::Error, kClosingPortError));
}

TEST_F(PortCommandsTest, EachCommandNamesItsRequestWhenNoPortIsSet) {
    struct Case {
        int (*run)(ProtocolContext&);
        std::string text;
    };
    const Case cases[] = {
        {ResetPrinter, "I/O Port not specified, or I/O Port not specified before Reset printer request."},
        {DetectBaudRate, "I/O Port not specified, or I/O Port not specified before Automatic baud rate (-autobaud)."},
        {[](ProtocolContext& c) { return SetupSerialPort(c, "baud=9600"); },
         "I/O Port not specified, or I/O Port not specified before port setup request."},
        {[](ProtocolContext& c) { return SetupHandshake(c, "none"); },
         "I/O Port not specified, or I/O Port not specified before handshaking setup request."},
    };
    model->portName.clear();
    for (const Case& c : cases) {
        reporter.entries.clear();
        EXPECT_EQ(c.run(context), 0) << c.text;
        ASSERT_EQ(reporter.entries.size(), 1u) << c.text;
        EXPECT_EQ(reporter.entries[0].text, c.text);
        EXPECT_EQ(reporter.entries[0].eventCode, 0);
        EXPECT_EQ(reporter.entries[0].severity, 10);
    }
    EXPECT_EQ(backend.openCalls, 0);
}

TEST_F(PortCommandsTest, DetectionFindsAPrinterAt38400AfterTrying9600And19200) {
    ASSERT_EQ(DetectBaudRate(context), 1);
    EXPECT_EQ(probedRates, (std::vector<uint32_t>{9600, 19200, 38400}));
    std::vector<std::string> expected = Probes(3);
    expected.push_back(kClosing);
    EXPECT_EQ(WrittenHex(), expected);
    EXPECT_EQ(model->detectedBaud, 38400);
    EXPECT_EQ(StoredBaud(), 38400u);
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_EQ(reporter.quietDepth, 0);
    EXPECT_TRUE(reporter.Errors().empty());
    EXPECT_EQ(clock.sleeps.back(), 500);
}

TEST_F(PortCommandsTest, DetectionShowsTheRateTriedAndACancelFallsBackTo9600) {
    answerEveryRate = true;
    reporter.cancelAfterProgress = 3;
    EXPECT_EQ(DetectBaudRate(context), 0);
    EXPECT_EQ(probedRates, (std::vector<uint32_t>{9600, 19200, 38400}));
    ASSERT_EQ(reporter.progress.size(), 3u);
    EXPECT_EQ(reporter.progress[2].step, "Trying 38400 baud");
    EXPECT_EQ(reporter.progress[2].done, 2);
    EXPECT_EQ(reporter.progress[2].total, 8);
    EXPECT_EQ(reporter.Messages().back(),
              "Baud rate detection cancelled after 3 of 8 rates: the printer did not answer at those; the port is "
              "set to 9600 baud.");
    EXPECT_TRUE(reporter.Errors().empty());
    EXPECT_EQ(model->detectedBaud, 0);
    EXPECT_EQ(StoredBaud(), 9600u);
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(PortCommandsTest, DetectionStoresEveryRateTriedInTurn) {
    std::vector<uint32_t> stored;
    backend.responder = [&](FakePortBackend&, const std::string&) {
        if (auto baud = StoredBaud()) stored.push_back(*baud);
    };
    EXPECT_EQ(DetectBaudRate(context), 0);
    EXPECT_EQ(stored, (std::vector<uint32_t>{9600, 19200, 38400, 4800, 2400, 1200, 600, 300}));
}

TEST_F(PortCommandsTest, WrongReplyAtEveryRateTriesAllEightAndFallsBackTo9600) {
    answerEveryRate = true;
    EXPECT_EQ(DetectBaudRate(context), 0);
    EXPECT_EQ(probedRates, (std::vector<uint32_t>{9600, 19200, 38400, 4800, 2400, 1200, 600, 300}));
    EXPECT_EQ(WrittenHex(), Probes(8));  // no closing command after a failure
    EXPECT_EQ(model->detectedBaud, 0);
    EXPECT_EQ(StoredBaud(), 9600u);
    EXPECT_EQ(backend.lineConfig->dcb.BaudRate, 9600u);
    EXPECT_FALSE(backend.IsOpen());
    ASSERT_EQ(reporter.Errors(), (std::vector<std::string>{"I/O Port Automatic baud rate detection failed."}));
    EXPECT_FALSE(reporter.entries.back().quiet);  // the verdict is logged
}

TEST_F(PortCommandsTest, ProbeThatCannotBeSentStopsTheDetectionQuietly) {
    backend.failWrite.Always();
    EXPECT_EQ(DetectBaudRate(context), 0);
    const std::string notConnected =
        "Printer not connected or incorrect port selected. Check connection and try again.";
    std::vector<RecordingReporter::Entry> ours;
    for (const auto& e : reporter.entries)
        if (e.text == notConnected || e.text == "I/O Port Automatic baud rate detection failed.") ours.push_back(e);
    ASSERT_EQ(ours.size(), 2u);
    EXPECT_EQ(ours[0].text, notConnected);
    EXPECT_TRUE(ours[0].quiet);
    EXPECT_FALSE(ours[1].quiet);
    EXPECT_TRUE(probedRates.empty());
    EXPECT_EQ(StoredBaud(), 9600u);
    EXPECT_EQ(reporter.quietDepth, 0);
}

TEST_F(PortCommandsTest, DetectionOnAParallelPortSendsNothing) {
    model->portName = "/dev/lp0";
    EXPECT_EQ(DetectBaudRate(context), 0);
    EXPECT_EQ(reporter.Errors(), (std::vector<std::string>{"Baud rate detection is only done on standard serial ports."}));
    EXPECT_TRUE(backend.allWritten.empty());
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(PortCommandsTest, SetupCommandsRefuseAPortThatIsNotSerial) {
    model->portName = "127.0.0.1:9100";
    EXPECT_EQ(SetupSerialPort(context, "baud=9600"), 0);
    EXPECT_EQ(SetupHandshake(context, "hardware"), 0);
    EXPECT_EQ(reporter.Errors(), (std::vector<std::string>{"Setup is only done on standard serial ports.",
                                                           "Setup is only done on standard serial ports."}));
    EXPECT_TRUE(ui.serialDialogs.empty());
    EXPECT_FALSE(backend.IsOpen());
}

TEST(HandshakeWordsTest, LaterWordsOverrideEarlierOnes) {
    struct Case {
        std::string text;
        std::optional<int> kind;
    };
    const Case cases[] = {
        {"HARDWARE", kHandshakeHardware},
        {"hardware", kHandshakeHardware},
        {"xon", kHandshakeNone},  // XON/XOFF is never switched on
        {"XonXoff", kHandshakeNone},
        {"none", kHandshakeNone},
        {"hardware,none", kHandshakeNone},
        {"hardware,xon", kHandshakeNone},
        {"rts", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(HandshakeKindFromText(c.text), c.kind) << c.text;
}

TEST_F(PortCommandsTest, HandshakeSwitchesFlowControlOnTheLineWithoutStoringIt) {
    struct Case {
        std::string text;
        bool ctsFlow;
    };
    const Case cases[] = {{"HARDWARE", true}, {"xon", false}, {"hardware,none", false}};
    for (const Case& c : cases) {
        ASSERT_EQ(SetupHandshake(context, c.text), 1) << c.text;
        const Dcb& applied = backend.configsSet.back().dcb;
        EXPECT_EQ(applied.Has(dcb::fOutxCtsFlow), c.ctsFlow) << c.text;
        EXPECT_FALSE(applied.Has(dcb::fOutX)) << c.text;
        EXPECT_FALSE(applied.Has(dcb::fInX)) << c.text;
        EXPECT_EQ(port.GetHandshake(), c.ctsFlow ? kHandshakeHardware : kHandshakeNone) << c.text;
        EXPECT_FALSE(backend.IsOpen());
        auto stored = store.GetValue(kPortSettingsKey, "Comm Data");
        ASSERT_TRUE(stored);
        EXPECT_FALSE(CommConfig::FromBytes(stored->data).dcb.Has(dcb::fOutxCtsFlow)) << c.text;
    }
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(PortCommandsTest, HandshakeWhosePortCannotBeReopenedFails) {
    backend.failOpen.From(2);  // the first open succeeds, the reopen with the text does not
    EXPECT_EQ(SetupHandshake(context, "hardware"), 0);
    EXPECT_TRUE(HasEntry(Kind::Error, kClosingPortError));
    EXPECT_NE(port.GetHandshake(), kHandshakeHardware);
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(PortCommandsTest, SerialSetupWithATextAsksNoDialogAndStoresTheText) {
    ASSERT_EQ(SetupSerialPort(context, "baud=19200 parity=N data=8 stop=1"), 1);
    EXPECT_TRUE(ui.serialDialogs.empty());
    EXPECT_EQ(StoredBaud(), 19200u);
    EXPECT_EQ(backend.configsSet.back().dcb.BaudRate, 19200u);
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(PortCommandsTest, SerialSetupWithoutTextAsksTheDialog) {
    ASSERT_EQ(SetupSerialPort(context, "baud=4800"), 1);  // a stored record to edit
    SerialLineSettings edited;
    edited.baudRate = 2400;
    ui.serialDialogResult = edited;

    ASSERT_EQ(SetupSerialPort(context, ""), 1);
    EXPECT_EQ(ui.serialDialogs.size(), 1u);
    EXPECT_EQ(ui.serialDialogStarts.at(0).baudRate, 4800u) << "the dialog starts from the stored setup";
    EXPECT_EQ(StoredBaud(), 2400u);
}

TEST_F(PortCommandsTest, CancelledDialogKeepsTheStoredSetupAndReportsNothing) {
    ASSERT_EQ(SetupSerialPort(context, "baud=4800"), 1);
    ASSERT_EQ(SetupSerialPort(context, ""), 1);
    EXPECT_EQ(ui.serialDialogs.size(), 1u);
    EXPECT_EQ(StoredBaud(), 4800u);
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(PortCommandsTest, SerialSetupTurnsXonXoffOff) {
    ASSERT_EQ(SetupSerialPort(context, "baud=9600"), 1);
    port.SetHandshake(kHandshakeXonXoff);
    ASSERT_EQ(SetupSerialPort(context, "baud=9600 parity=N data=8 stop=1"), 1);
    EXPECT_NE(port.GetHandshake(), kHandshakeXonXoff);
    EXPECT_FALSE(backend.configsSet.back().dcb.Has(dcb::fOutX));
}

TEST_F(PortCommandsTest, MenuDetectionShowsProgressThenTheRate) {
    ASSERT_EQ(RunBaudRateDetection(context), 1);
    EXPECT_EQ(reporter.entries.front().text, "Automatic Baud Rate detection in progress.");
    EXPECT_EQ(reporter.entries.front().kind, Kind::Status);
    EXPECT_EQ(reporter.Messages(), (std::vector<std::string>{"Baud rate detected: 38400"}));
}

}  // namespace
}  // namespace varnel::test
