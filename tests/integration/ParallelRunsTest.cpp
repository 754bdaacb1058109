// Twenty varnel runs at once, as on a production line: each against its own simulated printer
// (loopback TCP and pseudo-terminals mixed), all in one working folder with one settings store
// and one log and one run record. Every run must give its own right answer, and the shared files
// must come out whole.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "io/RegistryFile.h"
#include "support/ChildProcess.h"
#include "support/DemoModel.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/SplitText.h"
#include "support/TestPaths.h"

namespace varnel::test {
namespace {

constexpr int kRuns = 20;
constexpr auto kHangGuard = std::chrono::seconds(180);
const char* const kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG";
const char* const kInvoked = "Configuration Application Invoked:     ";
const char* const kTerminated = "Configuration Application Terminated:    ";

struct RunCase {
    bool tcp;
    bool changedPrinter;  // the printer holds changed.cfg rather than the demo configuration
    bool verify;          // verify against the demo file; otherwise read into run<i>.cfg
    std::string port;
    ExitStatus status;
};

// An entry one run wrote in one piece: a start block, an end line, an error or a message, with
// no other entry's beginning inside it.
bool IsWholeEntry(const std::string& entry) {
    const std::string rule(75, '=');
    const std::string startHead = rule + "\r\n" + kInvoked;
    const std::vector<std::string> heads{startHead, kTerminated, "Configuration Error: \r\n",
                                         "Configuration Message: \r\n"};
    for (const std::string& head : heads) {
        if (entry.rfind(head, 0) != 0) continue;
        for (const std::string& other : heads)
            if (entry.find(other, 1) != std::string::npos) return false;
        if (head == startHead)
            return entry.size() > startHead.size() + rule.size() &&
                   entry.compare(entry.size() - rule.size(), rule.size(), rule) == 0 &&
                   std::count(entry.begin(), entry.end(), '\n') == 2;
        return true;
    }
    return false;
}

// The stored network list: names separated by blanks, padded with NUL bytes.
bool ListHolds(const std::string& list, const std::string& name) {
    for (size_t at = list.find(name); at != std::string::npos; at = list.find(name, at + 1)) {
        const bool startsName = at == 0 || list[at - 1] == ' ';
        const size_t end = at + name.size();
        const bool endsName = end == list.size() || list[end] == ' ' || list[end] == '\0';
        if (startsName && endsName) return true;
    }
    return false;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(ParallelRunsTest, TwentyRunsShareOneFolderStoreAndLog) {
    ScratchDir dir;
    CopyDemoModel(dir.path());
    ASSERT_TRUE(WriteChangedDemoConfiguration(dir.path()));
    ScratchDir printers;

    std::vector<RunCase> runs;
    std::vector<std::unique_ptr<SimulatorProcess>> simulators;
    for (int i = 0; i < kRuns; ++i) {
        RunCase run{i % 2 == 0, i % 3 == 0, i % 4 >= 2, "", {}};
        const std::string cfg = run.changedPrinter ? dir.File("changed.cfg") : dir.File("rpdemo.cfg");
        simulators.push_back(std::make_unique<SimulatorProcess>(run.tcp ? SimulatorLine::Tcp : SimulatorLine::Pty,
                                                                DemoPrinterSwitches(dir.File("rpdemo_101.map"), cfg),
                                                                printers.path()));
        run.port = simulators.back()->Port();
        ASSERT_FALSE(run.port.empty()) << "simulator " << i << " did not start";
        runs.push_back(run);
    }

    const std::vector<std::string> env = HeadlessEnvironment(dir.File("registry.reg"));
    std::vector<std::unique_ptr<ChildProcess>> processes;
    for (int i = 0; i < kRuns; ++i) {
        const RunCase& run = runs[i];
        std::vector<std::string> script{"--record", "runs.jsonl", "sa", "port:" + run.port};
        if (run.verify) {
            script.insert(script.end(), {"readfile:rpdemo.cfg", "verify"});
        } else {
            script.insert(script.end(), {"readcfg", "writefile:run" + std::to_string(i) + ".cfg", "exit"});
        }
        processes.push_back(std::make_unique<ChildProcess>(VarnelExe(), script, env, dir.path()));
    }
    for (int i = 0; i < kRuns; ++i) runs[i].status = processes[i]->Wait(kHangGuard);

    for (int i = 0; i < kRuns; ++i) {
        const RunCase& run = runs[i];
        SCOPED_TRACE("run " + std::to_string(i) + " on " + run.port);
        ASSERT_TRUE(run.status.exited) << "signal " << run.status.signal << (run.status.timedOut ? ", hung" : "");
        if (run.verify) {
            EXPECT_EQ(run.status.code, run.changedPrinter ? 0 : 1);
            continue;
        }
        EXPECT_EQ(run.status.code, 0);
        const std::string read = ReadFileBytes(dir.File("run" + std::to_string(i) + ".cfg"));
        EXPECT_NE(read.find(run.changedPrinter ? kChangedSpeedLine : kDemoSpeedLine), std::string::npos);
    }

    // The store: parsable, every network printer in the "TCP" list, "PortName" one of the runs'.
    const RegistryParseResult store = ParseRegistryText(ReadFileBytes(dir.File("registry.reg")));
    ASSERT_TRUE(store.complete) << store.problem << " at line " << store.problemLine;
    const RegValue* tcpList = store.document.FindValue(kKey, "TCP");
    const RegValue* portName = store.document.FindValue(kKey, "PortName");
    ASSERT_NE(tcpList, nullptr);
    ASSERT_NE(portName, nullptr);
    const std::string list(tcpList->data.begin(), tcpList->data.end());
    std::string saved = portName->data;
    saved.erase(std::find(saved.begin(), saved.end(), '\0'), saved.end());
    bool savedIsARun = false;
    for (const RunCase& run : runs) {
        if (run.tcp) {
            EXPECT_TRUE(ListHolds(list, run.port)) << run.port << " missing from TCP";
        }
        savedIsARun = savedIsARun || saved == run.port;
    }
    EXPECT_TRUE(savedIsARun) << "PortName " << saved;

    // The log: every run's start and end, and nothing but whole entries.
    const std::string log = ReadFileBytes(dir.File("Varnel.log"));
    EXPECT_EQ(Count(log, kInvoked), static_cast<size_t>(kRuns));
    EXPECT_EQ(Count(log, kTerminated), static_cast<size_t>(kRuns));
    // Each entry of the log ends with an empty line.
    for (const std::string& entry : SplitAt(log, "\r\n\r\n")) EXPECT_TRUE(IsWholeEntry(entry)) << "entry:\n" << entry;
    const size_t differing = std::count_if(runs.begin(), runs.end(), [](const RunCase& r) { return r.verify && r.changedPrinter; });
    EXPECT_EQ(Count(log, "\"Print_Speed\" does not verify."), differing);

    // The run record: one whole line per run, none lost, none interleaved, each with its run's
    // exit code.
    const std::string records = ReadFileBytes(dir.File("runs.jsonl"));
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back(), '\n');
    std::map<std::string, int> recordsOfPort;
    const std::vector<std::string> lines = SplitAt(records, "\n");
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const nlohmann::json record = nlohmann::json::parse(line, nullptr, false);
        ASSERT_TRUE(record.is_object()) << "line " << i + 1 << ": " << line;
        const auto run =
            std::find_if(runs.begin(), runs.end(), [&](const RunCase& r) { return r.port == record["port"]; });
        ASSERT_NE(run, runs.end()) << record["port"];
        ++recordsOfPort[run->port];
        EXPECT_EQ(record["exitCode"], run->status.code) << run->port;
        EXPECT_EQ(record["differences"].size(), run->verify && run->changedPrinter ? 1u : 0u) << run->port;
    }
    EXPECT_EQ(lines.size(), static_cast<size_t>(kRuns));
    EXPECT_EQ(recordsOfPort.size(), static_cast<size_t>(kRuns));
}

}  // namespace
}  // namespace varnel::test
