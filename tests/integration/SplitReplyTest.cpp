// Replies that reach the machine in two pieces (varnel-printer-sim --split-replies). Over a
// network port a reply whose pieces all arrive within the fixed wait after the command (300 ms)
// is read whole, whatever per-byte time the serial settings hold; a later piece is the next
// read's. Over a serial line the read interval time-out decides. Seen through the port layer,
// through every kind of exchange varnel has with a printer, and through whole runs of varnel.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "io/FileSettingsStore.h"
#include "io/IOComm.h"
#include "io/SettingsStore.h"
#include "files/FilesContext.h"
#include "files/PrinterFileManager.h"
#include "model/ConfigModel.h"
#include "support/ChildProcess.h"
#include "unit/files/RecordingFilesView.h"
#include "support/DemoModel.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/VarnelRun.h"

namespace varnel::test {
namespace {

// Gaps well apart from the interval and the fixed wait, so a loaded machine does not blur the
// line between them.
constexpr uint32_t kIntervalMs = 200;
// What identification sets as the per-byte time of a serial line.
constexpr uint32_t kSerialPerByteMs = 30;
// Gaps that network printers behind adapters and print servers show.
constexpr int kProductionGapsMs[] = {40, 100, 250};
constexpr int kFileSize = 250;
constexpr int kShortGapMs = 20;
constexpr int kLongGapMs = 600;
// Long enough for the second half of a reply after the long gap.
constexpr uint32_t kReadTotalMs = 2000;

// The simulator's default firmware: "~r" 0x05 "REV:SIM-1.00" 0x00, sixteen bytes.
const std::string kFirmwareQuery = "\x1B~r\x05";
const std::string kFirmwareReply = std::string("~r\x05REV:SIM-1.00") + '\0';

const char* LineName(SimulatorLine line) { return line == SimulatorLine::Tcp ? "tcp" : "pty"; }

TEST(SplitReplies, ANetworkReplyIsWholeWithinTheFixedWaitAndASerialOneWithinTheInterval) {
    struct Case {
        SimulatorLine line;
        int gapMs;
        bool whole;
    };
    const std::string firstHalf = kFirmwareReply.substr(0, kFirmwareReply.size() / 2);
    const std::string secondHalf = kFirmwareReply.substr(kFirmwareReply.size() / 2);
    // Over TCP the whole range the fixed wait covered, not only its ends.
    const Case cases[] = {
        {SimulatorLine::Tcp, kShortGapMs, true}, {SimulatorLine::Tcp, 40, true},  {SimulatorLine::Tcp, 100, true},
        {SimulatorLine::Tcp, 170, true},         {SimulatorLine::Tcp, 250, true}, {SimulatorLine::Tcp, kLongGapMs, false},
        {SimulatorLine::Pty, kShortGapMs, true}, {SimulatorLine::Pty, kLongGapMs, false},
    };
    for (const Case& c : cases) {
        const std::string name = std::string(LineName(c.line)) + ", gap " + std::to_string(c.gapMs) + " ms";
        SimulatorProcess printer(c.line, {"--split-replies", std::to_string(c.gapMs)});
        ASSERT_FALSE(printer.Port().empty()) << name;
        MemorySettingsStore store;
        // The per-byte time identification sets for serial lines: no part of a network read.
        store.SetValue(kPortSettingsKey, "ReadIntervalTimeout",
                       RegValue::Dword(c.line == SimulatorLine::Tcp ? kSerialPerByteMs : kIntervalMs));
        SystemClock clock;
        RecordingReporter reporter;
        IOComm port(store, clock, reporter);
        ASSERT_NE(port.Open(printer.Port(), "baud=115200 parity=N data=8 stop=1", SaveCommSetup::No), 0) << name;
        // A serial line takes the interval from here too; a network port keeps the stored one.
        port.SetTimeouts(kReadTotalMs, kIntervalMs);

        ASSERT_EQ(port.OutputString(kFirmwareQuery), 1) << name;
        port.WaitOutput(kReadTotalMs);
        std::vector<std::string> reads;
        for (size_t got = 0; got < kFirmwareReply.size() && reads.size() < 2;) {
            std::string buffer(kFirmwareReply.size() - got, '\0');
            const int n = port.Input(buffer.data(), buffer.size());
            if (n <= 0) break;
            reads.push_back(buffer.substr(0, static_cast<size_t>(n)));
            got += static_cast<size_t>(n);
        }
        EXPECT_EQ(reads, (c.whole ? std::vector<std::string>{kFirmwareReply}
                                  : std::vector<std::string>{firstHalf, secondHalf}))
            << name;
        port.Close();
    }
}

// The simulator's state with one file of three read blocks (100, 100 and 50 bytes).
std::string StateWithOneFile(std::string& bytes) {
    std::string hex;
    for (int i = 0; i < kFileSize; ++i) {
        bytes.push_back(static_cast<char>('A' + i % 26));
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X ", 'A' + i % 26);
        hex += pair;
    }
    hex.pop_back();
    return R"({"format": "varnel-printer-sim state", "version": 1, "files": [{"name": "logo.bmp", "data": ")" + hex +
           R"("}]})";
}

// The printer file manager lists the printer's files and saves one, as its dialog would.
TEST(SplitReplies, TheFileListAndAFileReadAreWholeOverANetworkPort) {
    for (const int gapMs : kProductionGapsMs) {
        ScratchDir folder;
        folder.Enter();
        std::string bytes;
        WriteFileBytes(folder.File("printer.json"), StateWithOneFile(bytes));
        SimulatorProcess printer(SimulatorLine::Tcp,
                                 {"--state", folder.File("printer.json"), "--split-replies", std::to_string(gapMs)});
        ASSERT_FALSE(printer.Port().empty());
        MemorySettingsStore store;
        store.SetValue(kPortSettingsKey, "ReadIntervalTimeout", RegValue::Dword(kSerialPerByteMs));
        SystemClock clock;
        RecordingReporter reporter;
        IOComm port(store, clock, reporter);
        ConfigModel model;
        model.portName = printer.Port();
        FileManagerState state;
        RecordingFilesView view;
        PrinterFileManager manager(FilesContext{model, port, reporter, clock, state}, view);
        ASSERT_EQ(manager.Refresh(), 1) << gapMs;
        ASSERT_EQ(view.entries.size(), 1u) << gapMs;
        EXPECT_EQ(view.entries[0].substr(0, view.entries[0].find('\t')), "logo.bmp") << gapMs;
        view.selected = {0};
        manager.SaveToDisk();
        EXPECT_EQ(ReadFileBytes(folder.File("logo.bmp")), bytes) << gapMs;
        EXPECT_TRUE(reporter.Errors().empty()) << gapMs;
    }
}

// varnel's own timing, the serial per-byte time of identification still in the settings: every
// exchange of a production script gives what it gives with whole replies.
TEST(SplitReplies, ProductionRunsOverANetworkPortAreAsWithWholeReplies) {
    std::string wholeRead;
    {
        ScratchDir folder;
        CopyDemoModel(folder.path());
        SimulatorProcess printer(SimulatorLine::Tcp, DemoPrinterSwitches());
        ASSERT_FALSE(printer.Port().empty());
        ASSERT_EQ(RunVarnel(folder.path(), {"sa", "port:" + printer.Port(), "readcfg", "writefile:out.cfg", "exit"})
                      .ExitCode(),
                  0);
        wholeRead = folder.Read("out.cfg");
        ASSERT_NE(wholeRead.find(kDemoSpeedLine), std::string::npos);
    }
    for (const int gapMs : kProductionGapsMs) {
        ScratchDir folder;
        CopyDemoModel(folder.path());
        std::vector<std::string> switches = DemoPrinterSwitches();
        switches.insert(switches.end(), {"--split-replies", std::to_string(gapMs)});
        SimulatorProcess printer(SimulatorLine::Tcp, switches);
        ASSERT_FALSE(printer.Port().empty());
        const std::string port = "port:" + printer.Port();

        EXPECT_EQ(RunVarnel(folder.path(), {"sa", port, "readcfg", "writefile:out.cfg", "exit"}).ExitCode(), 0) << gapMs;
        EXPECT_EQ(folder.Read("out.cfg"), wholeRead) << gapMs;
        EXPECT_EQ(RunVarnel(folder.path(), {"sa", port, "readfile:rpdemo.cfg", "verify"}).ExitCode(), 1) << gapMs;
        EXPECT_EQ(RunVarnel(folder.path(), {"sa", port, "isfwr:RPD1-1.01"}).ExitCode(), 1) << gapMs;
        EXPECT_EQ(RunVarnel(folder.path(), {"sa", port, "isfw:RPD1-1"}).ExitCode(), 1) << gapMs;
        const std::string log = folder.Read("Varnel.log");
        EXPECT_EQ(log.find("Configuration Error"), std::string::npos) << gapMs << log;
    }
}

// A piece later than the fixed wait: the identifier is cut, which is reported, and the run ends.
TEST(SplitReplies, AGapBeyondTheFixedWaitIsReportedAndDoesNotHang) {
    ScratchDir folder;
    CopyDemoModel(folder.path());
    std::vector<std::string> switches = DemoPrinterSwitches();
    switches.insert(switches.end(), {"--split-replies", std::to_string(kLongGapMs)});
    SimulatorProcess printer(SimulatorLine::Tcp, switches);
    ASSERT_FALSE(printer.Port().empty());
    const VarnelRun run =
        RunVarnel(folder.path(), {"sa", "port:" + printer.Port(), "readcfg", "writefile:out.cfg", "exit"});
    EXPECT_EQ(run.ExitCode(), 0);
    // "~r" 0x05 "REV:RPD1-1.01" 0x00 in two reads: the first ends after "REV:R".
    EXPECT_NE(folder.Read("Varnel.log").find("Could not find suitable map file for Model/Firmware:  / R \r\n"),
              std::string::npos);
    EXPECT_EQ(RunVarnel(folder.path(), {"sa", "port:" + printer.Port(), "isfwr:RPD1-1.01"}).ExitCode(), 0);
}

}  // namespace
}  // namespace varnel::test
