// Every printer operation of the command line against every fault the simulator can play, over
// loopback TCP and a pseudo-terminal. A cell passes when the run ends within the hang guard,
// exits normally, never claims a success that did not happen, and leaves no stray or
// half-written file in its folder. Cells run in parallel, each with its own simulator, folder
// and settings store; the matrix is printed with the outcome of every cell.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "io/RegistryFile.h"
#include "support/DemoModel.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/VarnelRun.h"

namespace varnel::test {
namespace {

// A clean read takes about 3.5 s, a write with its verify about 8 s, over either transport; the
// longest cells (200 ms slow replies) about 20 s. Fixed pauses, bounded time-outs and at most
// ten read retries keep every run far below this guard.
constexpr auto kHangGuard = std::chrono::seconds(120);
// Runs mostly sleep in pauses and time-outs, so more cells than cores can share the machine.
constexpr unsigned kParallelCells = 12;

const char* const kMatchingFirmware = "RPD1-1.01";
const char* const kOtherFirmware = "RPD1-1.00";

enum class Operation { FirmwareMatches, FirmwareDiffers, Read, VerifyDiffers, Write, Description, Reset, AutoBaud };

const char* const kDescription = "FAULT-MATRIX";
const char* const kDescriptionDone = "Description programmed and verified.";
// The autobaud printer answers only at this rate, the third one tried.
constexpr uint32_t kPrinterBaud = 19200;
const char* const kStoreKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG";
// The stored serial configuration: a COMMCONFIG record whose DCB's baud rate starts here.
constexpr size_t kStoredBaudOffset = 12;

struct Fault {
    const char* name;
    std::vector<std::string> switches;
};

const std::vector<Fault>& Faults() {
    static const std::vector<Fault> faults{
        {"none", {}},
        {"silent firmware", {"--fault-silent", "firmware"}},
        {"silent byte-read", {"--fault-silent", "byte-read"}},
        {"silent table-read", {"--fault-silent", "table-read"}},
        {"stray byte", {"--fault-stray-byte"}},
        {"wrong head x3", {"--fault-wrong-head", "3"}},
        {"wrong head x40", {"--fault-wrong-head", "40"}},
        {"drop after 5", {"--fault-drop-after", "5"}},
        {"drop after 40", {"--fault-drop-after", "40"}},
        {"drop after 300", {"--fault-drop-after", "300"}},
        {"slow 200 ms", {"--fault-slow", "200"}},
        {"busy 1500 ms", {"--fault-busy", "1500"}},
        {"silent probe", {"--fault-silent", "probe"}},
        {"probe garbage", {"--fault-probe-garbage"}},
        {"stale identity", {"--fault-stale-identity"}},
    };
    return faults;
}

const char* OperationName(Operation op) {
    switch (op) {
    case Operation::FirmwareMatches: return "isfwr: same";
    case Operation::FirmwareDiffers: return "isfwr: other";
    case Operation::Read: return "readcfg";
    case Operation::VerifyDiffers: return "verify (differs)";
    case Operation::Write: return "writecfg+verify";
    case Operation::Description: return "desc:";
    case Operation::Reset: return "reset";
    case Operation::AutoBaud: return "autobaud";
    }
    return "?";
}

struct Cell {
    Operation op;
    size_t fault;
    bool tcp;
    // Filled in by the run.
    std::string outcome;   // "ok", "failed (reported)" ...
    std::string problem;   // empty when the cell passes
    double seconds = 0;
};

// Facts every cell compares with, taken once from clean runs.
struct Reference {
    std::string readBack;       // readcfg writefile: of the demo configuration
    std::string writtenState;   // simulator state after writecfg of the changed configuration
};

// The demo printer keeping its memory in `state`, playing `fault`.
std::vector<std::string> PrinterSwitches(const std::string& state, const std::vector<std::string>& fault,
                                         bool fixedBaud = false) {
    std::vector<std::string> args;
    if (fixedBaud) args = {"--baud", std::to_string(kPrinterBaud)};
    const std::vector<std::string> demo = DemoPrinterSwitches();
    args.insert(args.end(), demo.begin(), demo.end());
    args.insert(args.end(), {"--state", state});
    args.insert(args.end(), fault.begin(), fault.end());
    return args;
}

SimulatorLine Line(bool tcp) { return tcp ? SimulatorLine::Tcp : SimulatorLine::Pty; }

// One cell's world: a printer folder for the simulator's state, a working folder for varnel.
class CellFolder {
public:
    CellFolder() {
        std::filesystem::create_directory(WorkDir());
        CopyDemoModel(WorkDir());
        WriteChangedDemoConfiguration(WorkDir());
        expected_ = Listing();
    }
    std::string WorkDir() const { return dir_.File("work"); }
    std::string Work(const std::string& name) const { return WorkDir() + "/" + name; }
    std::string State() const { return dir_.File("printer.json"); }

    ExitStatus Run(const std::vector<std::string>& parameters) const {
        return RunVarnel(WorkDir(), parameters, kHangGuard).status;
    }

    // Files in the working folder that no run should leave: temporaries, half-written targets.
    std::vector<std::string> StrayFiles(const std::set<std::string>& allowed) const {
        std::vector<std::string> stray;
        for (const std::string& name : Listing())
            if (!expected_.count(name) && !allowed.count(name)) stray.push_back(name);
        return stray;
    }

private:
    std::set<std::string> Listing() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(WorkDir()))
            names.insert(entry.path().filename().string());
        return names;
    }
    ScratchDir dir_;
    std::set<std::string> expected_;
};

// What every run leaves: its log and settings store, and the output the test keeps.
const std::set<std::string> kRunFiles{"Varnel.log", "registry.reg", "registry.reg.lock", "stderr.txt", "stdout.txt"};

// The baud rate of the serial configuration in the settings store, 0 when there is none.
uint32_t StoredBaud(const std::string& storePath) {
    const RegistryParseResult store = ParseRegistryText(ReadFileBytes(storePath));
    const RegValue* comm = store.document.FindValue(kStoreKey, "Comm data");
    if (!comm || comm->data.size() < kStoredBaudOffset + 4) return 0;
    uint32_t baud = 0;
    for (size_t i = 0; i < 4; ++i)
        baud |= static_cast<uint32_t>(static_cast<uint8_t>(comm->data[kStoredBaudOffset + i])) << (8 * i);
    return baud;
}

bool LogHasError(const std::string& log) { return log.find("Configuration Error:") != std::string::npos; }

std::vector<std::string> Script(Operation op, const std::string& port) {
    const std::string p = "port:" + port;
    switch (op) {
    case Operation::FirmwareMatches: return {"sa", p, std::string("isfwr:") + kMatchingFirmware};
    case Operation::FirmwareDiffers: return {"sa", p, std::string("isfwr:") + kOtherFirmware};
    case Operation::Read: return {"sa", p, "readcfg", "writefile:out.cfg", "exit"};
    case Operation::VerifyDiffers: return {"sa", p, "readfile:changed.cfg", "verify"};
    case Operation::Write: return {"sa", p, "readfile:changed.cfg", "writecfg", "verify"};
    case Operation::Description: return {"sa", p, std::string("desc:") + kDescription, "exit"};
    case Operation::Reset: return {"sa", p, "reset", "exit"};
    case Operation::AutoBaud: return {"sa", p, "autobaud", "exit"};
    }
    return {};
}

// Runs one cell and judges it. The rules: a success must be a true success, a failure must be
// reported (exit code, or an error in the log), and the folder holds no leftover.
void RunCell(Cell& cell, const Reference& reference) {
    CellFolder folder;
    const Fault& fault = Faults()[cell.fault];
    SimulatorProcess printer(Line(cell.tcp),
                             PrinterSwitches(folder.State(), fault.switches, cell.op == Operation::AutoBaud),
                             folder.WorkDir());
    if (printer.Port().empty()) {
        cell.problem = "simulator did not start";
        return;
    }
    const ExitStatus status = folder.Run(Script(cell.op, printer.Port()));
    printer.Stop();
    cell.seconds = status.seconds;
    if (status.timedOut) {
        cell.outcome = "HANG";
        cell.problem = "still running after the hang guard";
        return;
    }
    if (!status.exited) {
        cell.outcome = "SIGNAL " + std::to_string(status.signal);
        cell.problem = "ended by a signal";
        return;
    }
    const std::string log = ReadFileBytes(folder.Work("Varnel.log"));
    const bool error = LogHasError(log);
    std::set<std::string> allowed = kRunFiles;
    const bool none = cell.fault == 0;

    switch (cell.op) {
    case Operation::FirmwareMatches:
        cell.outcome = status.code == 1 ? "ok" : "failed (exit 0)";
        if (status.code != 0 && status.code != 1) cell.problem = "exit code " + std::to_string(status.code);
        if (none && status.code != 1) cell.problem = "a clean printer did not match";
        break;
    case Operation::FirmwareDiffers:
        cell.outcome = status.code == 0 ? "no match" : "MATCHED";
        if (status.code != 0) cell.problem = "another firmware reported as matching";
        break;
    case Operation::VerifyDiffers:
        cell.outcome = status.code == 0 ? (log.find("does not verify.") != std::string::npos ? "differs" : "failed (reported)")
                                        : "VERIFIED";
        if (status.code != 0) cell.problem = "a differing printer verified";
        else if (!error) cell.problem = "failure without an error in the log";
        if (none && log.find("\"Print_Speed\" does not verify.") == std::string::npos)
            cell.problem = "a clean printer did not name the differing setting";
        break;
    case Operation::Read: {
        allowed.insert("out.cfg");
        const std::string readBack = ReadFileBytes(folder.Work("out.cfg"));
        cell.outcome = error ? "failed (reported)" : "ok";
        if (status.code != 0) cell.problem = "exit code " + std::to_string(status.code);
        else if (!error && readBack != reference.readBack) cell.problem = "read without an error, but wrong values";
        else if (none && error) cell.problem = "a clean printer failed";
        break;
    }
    case Operation::Write: {
        // Masked byte writes get no answer, so a printer that stops listening cannot be noticed
        // while writing; the production script verifies, and its exit code is what must be true.
        const std::string state = ReadFileBytes(folder.State());
        const bool differs = log.find("does not verify.") != std::string::npos;
        cell.outcome = status.code == 1 ? "written, verified" : (differs ? "verify caught it" : "failed (reported)");
        if (status.code == 1 && state != reference.writtenState) cell.problem = "verified, but the printer differs";
        else if (status.code == 0 && !error) cell.problem = "failure without an error in the log";
        else if (status.code != 0 && status.code != 1) cell.problem = "exit code " + std::to_string(status.code);
        else if (none && status.code != 1) cell.problem = "a clean printer failed";
        break;
    }
    case Operation::Description: {
        // The printer's memory after the run: the text is there only when it was really kept.
        const bool kept = ReadFileBytes(folder.State()).find(kDescription) != std::string::npos;
        const bool claimed = log.find(kDescriptionDone) != std::string::npos;
        cell.outcome = claimed ? "ok" : (error ? "failed (reported)" : "?");
        if (status.code != 0) cell.problem = "exit code " + std::to_string(status.code);
        else if (claimed && !kept) cell.problem = "reported as verified, but the printer lost it";
        else if (!claimed && !error) cell.problem = "neither success nor an error";
        else if (none && !claimed) cell.problem = "a clean printer failed";
        break;
    }
    case Operation::Reset:
        cell.outcome = error ? "failed (reported)" : "ok";
        if (status.code != 0) cell.problem = "exit code " + std::to_string(status.code);
        else if (none && error) cell.problem = "a clean printer failed";
        break;
    case Operation::AutoBaud: {
        // Detection keeps the rate it found as the stored serial configuration.
        const uint32_t stored = StoredBaud(folder.Work("registry.reg"));
        cell.outcome = error ? "failed (reported)" : "found " + std::to_string(stored);
        if (status.code != 0) cell.problem = "exit code " + std::to_string(status.code);
        else if (!error && stored != kPrinterBaud) cell.problem = "kept a rate the printer does not use";
        else if (none && error) cell.problem = "a clean printer was not found";
        break;
    }
    }
    // In a sanitizer build a report ends the run with exit code 1, which reads as success here.
    const std::string err = ReadFileBytes(folder.Work("stderr.txt"));
    if (err.find("Sanitizer") != std::string::npos || err.find("runtime error:") != std::string::npos)
        cell.problem += (cell.problem.empty() ? "" : "; ") + std::string("sanitizer report");
    const std::vector<std::string> stray = folder.StrayFiles(allowed);
    if (!stray.empty()) cell.problem += (cell.problem.empty() ? "" : "; ") + std::string("left ") + stray.front();
}

// The clean results every cell is held to, over TCP.
Reference TakeReference() {
    Reference reference;
    {
        CellFolder folder;
        SimulatorProcess printer(SimulatorLine::Tcp, PrinterSwitches(folder.State(), {}), folder.WorkDir());
        folder.Run(Script(Operation::Read, printer.Port()));
        reference.readBack = ReadFileBytes(folder.Work("out.cfg"));
    }
    {
        CellFolder folder;
        SimulatorProcess printer(SimulatorLine::Tcp, PrinterSwitches(folder.State(), {}), folder.WorkDir());
        folder.Run({"sa", "port:" + printer.Port(), "readfile:changed.cfg", "writecfg", "exit"});
        printer.Stop();
        reference.writtenState = ReadFileBytes(folder.State());
    }
    return reference;
}

std::vector<Cell> BuildCells() {
    std::vector<Cell> cells;
    for (bool tcp : {true, false})
        for (Operation op : {Operation::Read, Operation::VerifyDiffers, Operation::Write, Operation::FirmwareMatches,
                             Operation::FirmwareDiffers, Operation::Description, Operation::Reset})
            for (size_t fault = 0; fault < Faults().size(); ++fault) cells.push_back({op, fault, tcp, "", "", 0});
    // Baud detection is for serial lines only.
    for (size_t fault = 0; fault < Faults().size(); ++fault)
        cells.push_back({Operation::AutoBaud, fault, false, "", "", 0});
    return cells;
}

void PrintMatrix(const std::vector<Cell>& cells) {
    std::ostringstream out;
    out << std::left << std::setw(20) << "operation" << std::setw(6) << "port" << std::setw(20) << "fault"
        << std::setw(20) << "outcome" << std::setw(8) << "secs" << "verdict\n";
    for (const Cell& cell : cells) {
        out << std::setw(20) << OperationName(cell.op) << std::setw(6) << (cell.tcp ? "tcp" : "pty") << std::setw(20)
            << Faults()[cell.fault].name << std::setw(20) << cell.outcome << std::setw(8) << std::fixed
            << std::setprecision(1) << cell.seconds << (cell.problem.empty() ? "pass" : "FAIL: " + cell.problem)
            << "\n";
    }
    std::cout << out.str() << std::flush;
}

TEST(FaultMatrixTest, EveryOperationUnderEveryFaultEndsAndTellsTheTruth) {
    const Reference reference = TakeReference();
    ASSERT_NE(reference.readBack.find(kDemoSpeedLine), std::string::npos) << "clean read-back is not the demo";
    ASSERT_FALSE(reference.writtenState.empty());

    std::vector<Cell> cells = BuildCells();
    // The slowest cells first, so the tail of the run is short.
    std::vector<size_t> order(cells.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        auto weight = [&](const Cell& c) { return c.op == Operation::FirmwareMatches || c.op == Operation::FirmwareDiffers ? 1 : 0; };
        return weight(cells[a]) < weight(cells[b]);
    });
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (unsigned w = 0; w < kParallelCells; ++w)
        workers.emplace_back([&] {
            for (size_t i = next++; i < order.size(); i = next++) RunCell(cells[order[i]], reference);
        });
    for (std::thread& worker : workers) worker.join();

    PrintMatrix(cells);
    for (const Cell& cell : cells)
        EXPECT_TRUE(cell.problem.empty()) << OperationName(cell.op) << " / " << (cell.tcp ? "tcp" : "pty") << " / "
                                          << Faults()[cell.fault].name << ": " << cell.problem;
}

}  // namespace
}  // namespace varnel::test
