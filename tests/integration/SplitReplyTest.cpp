// Replies that reach the machine in two pieces (varnel-printer-sim --split-replies): a gap
// shorter than the read interval time-out is read whole, a longer one makes two reads, over a
// network port as over a serial line. Seen through the port layer itself, and through a read of
// the printer's configuration.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Clock.h"
#include "io/FileSettingsStore.h"
#include "io/IOComm.h"
#include "io/SettingsStore.h"
#include "support/DemoModel.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/VarnelRun.h"

namespace varnel::test {
namespace {

// Gaps well apart from the interval, so a loaded machine does not blur the line between them.
constexpr uint32_t kIntervalMs = 200;
constexpr int kShortGapMs = 20;
constexpr int kLongGapMs = 600;
// Long enough for the second half of a reply after the long gap.
constexpr uint32_t kReadTotalMs = 2000;

// The simulator's default firmware: "~r" 0x05 "REV:SIM-1.00" 0x00, sixteen bytes.
const std::string kFirmwareQuery = "\x1B~r\x05";
const std::string kFirmwareReply = std::string("~r\x05REV:SIM-1.00") + '\0';

const char* LineName(SimulatorLine line) { return line == SimulatorLine::Tcp ? "tcp" : "pty"; }

TEST(SplitReplies, AGapShorterThanTheIntervalIsOneReadALongerOneTwo) {
    struct Case {
        SimulatorLine line;
        int gapMs;
        std::vector<std::string> reads;
    };
    const std::string firstHalf = kFirmwareReply.substr(0, kFirmwareReply.size() / 2);
    const std::string secondHalf = kFirmwareReply.substr(kFirmwareReply.size() / 2);
    const Case cases[] = {
        {SimulatorLine::Tcp, kShortGapMs, {kFirmwareReply}},
        {SimulatorLine::Tcp, kLongGapMs, {firstHalf, secondHalf}},
        {SimulatorLine::Pty, kShortGapMs, {kFirmwareReply}},
        {SimulatorLine::Pty, kLongGapMs, {firstHalf, secondHalf}},
    };
    for (const Case& c : cases) {
        const std::string name = std::string(LineName(c.line)) + ", gap " + std::to_string(c.gapMs) + " ms";
        SimulatorProcess printer(c.line, {"--split-replies", std::to_string(c.gapMs)});
        ASSERT_FALSE(printer.Port().empty()) << name;
        MemorySettingsStore store;
        store.SetValue(kPortSettingsKey, "ReadIntervalTimeout", RegValue::Dword(kIntervalMs));
        SystemClock clock;
        RecordingReporter reporter;
        IOComm port(store, clock, reporter);
        ASSERT_NE(port.Open(printer.Port(), "baud=115200 parity=N data=8 stop=1", SaveCommSetup::No), 0) << name;
        // A serial line takes the interval from here too; a network port keeps the stored one.
        port.SetTimeouts(kReadTotalMs, kIntervalMs);

        ASSERT_EQ(port.OutputString(kFirmwareQuery), 1) << name;
        port.WaitOutput(kReadTotalMs);
        std::vector<std::string> reads;
        for (size_t got = 0; got < kFirmwareReply.size() && reads.size() < c.reads.size();) {
            std::string buffer(kFirmwareReply.size() - got, '\0');
            const int n = port.Input(buffer.data(), buffer.size());
            if (n <= 0) break;
            reads.push_back(buffer.substr(0, static_cast<size_t>(n)));
            got += static_cast<size_t>(n);
        }
        EXPECT_EQ(reads, c.reads) << name;
        port.Close();
    }
}

// varnel's own timing (interval from the store, the read's time-outs from the protocol): the
// firmware identifier cut in two is what the user would see.
TEST(SplitReplies, ReadingTheConfigurationTakesAReplyInTwoPiecesWholeOnlyWithinTheInterval) {
    for (const int gapMs : {kShortGapMs, kLongGapMs}) {
        ScratchDir folder;
        CopyDemoModel(folder.path());
        FileSettingsStore(folder.File("registry.reg"))
            .SetValue(kPortSettingsKey, "ReadIntervalTimeout", RegValue::Dword(kIntervalMs));
        std::vector<std::string> switches = DemoPrinterSwitches();
        switches.insert(switches.end(), {"--split-replies", std::to_string(gapMs)});
        SimulatorProcess printer(SimulatorLine::Tcp, switches);
        ASSERT_FALSE(printer.Port().empty());

        const VarnelRun run =
            RunVarnel(folder.path(), {"sa", "port:" + printer.Port(), "readcfg", "writefile:out.cfg", "exit"});
        EXPECT_EQ(run.ExitCode(), 0) << gapMs;
        const std::string log = folder.Read("Varnel.log");
        if (gapMs < static_cast<int>(kIntervalMs)) {
            EXPECT_EQ(log.find("Configuration Error"), std::string::npos) << log;
            EXPECT_NE(folder.Read("out.cfg").find(kDemoSpeedLine), std::string::npos);
        } else {
            // "~r" 0x05 "REV:RPD1-1.01" 0x00 in two reads: the first ends after "REV:R".
            EXPECT_NE(log.find("Could not find suitable map file for Model/Firmware:  / R \r\n"), std::string::npos)
                << log;
        }
    }
}

}  // namespace
}  // namespace varnel::test
