#include "app/Station.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/PortFileName.h"
#include "app/ProgramOptions.h"
#include "app/RunRecordFile.h"
#include "app/StationObserver.h"
#include "app/StationRecord.h"
#include "app/StationRunCommand.h"
#include "app/StationRunOutcome.h"
#include "base/Clock.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kStopped = "stopped";
constexpr std::string_view kStoppedBeforeStart = "stopped before its job started";
constexpr int64_t kStopPollMs = 20;
constexpr const char* kPortKeyword = "port:";

// A run never opens a window: one that would needs a display, and ends with an exit code
// saying so instead of waiting for a window nobody looks at.
const std::vector<std::string> kDisplayVariables{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

uintmax_t FileSize(const std::string& path) {
    std::error_code error;
    const uintmax_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

std::string TextFrom(const std::string& path, uintmax_t offset) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

Station::Station(StationSettings settings, ProcessLauncher& launcher, Clock& clock)
    : settings_(std::move(settings)), launcher_(launcher), clock_(clock) {}

Station::~Station() { Stop(); }

int64_t Station::NowMs() const { return clock_.NowMs(); }

void Station::AddPort(const std::string& port) {
    auto known = std::find_if(printers_.begin(), printers_.end(),
                              [&](const StationPrinter& printer) { return printer.port == port; });
    if (known != printers_.end()) {
        if (known->present) return;
        known->present = true;
        const size_t index = static_cast<size_t>(known - printers_.begin());
        // Plugged in again: a printer of its own, unless the last one is still at work.
        if (known->Ended()) {
            StationPrinter fresh;
            fresh.port = known->port;
            fresh.name = known->name;
            fresh.folder = known->folder;
            fresh.runCount = known->runCount;
            *known = std::move(fresh);
        }
        Changed(index);
        return;
    }
    StationPrinter printer;
    printer.port = port;
    printer.name = UniqueName(port);
    printer.folder = settings_.folder + "/" + printer.name;
    printer.runCount = static_cast<int>(settings_.runs.size());
    printers_.push_back(std::move(printer));
    active_.emplace_back();
    if (observer_) observer_->PrinterAdded(printers_.back());
}

void Station::PortGone(const std::string& port) {
    for (size_t index = 0; index < printers_.size(); ++index) {
        if (printers_[index].port != port || !printers_[index].present) continue;
        printers_[index].present = false;
        Changed(index);
    }
}

std::string Station::UniqueName(const std::string& port) const {
    const std::string safe = SafePortName(port);
    std::string name = safe;
    for (int suffix = 2; std::any_of(printers_.begin(), printers_.end(),
                                     [&](const StationPrinter& printer) { return printer.name == name; });
         ++suffix)
        name = safe + "-" + std::to_string(suffix);
    return name;
}

int Station::Running() const {
    return static_cast<int>(std::count_if(printers_.begin(), printers_.end(), [](const StationPrinter& printer) {
        return printer.status == PrinterStatus::Running;
    }));
}

bool Station::Busy() const {
    return std::any_of(printers_.begin(), printers_.end(),
                       [](const StationPrinter& printer) { return !printer.Ended(); });
}

bool Station::NoneFailed() const {
    return std::none_of(printers_.begin(), printers_.end(),
                        [](const StationPrinter& printer) { return printer.status == PrinterStatus::Failed; });
}

void Station::Poll() {
    for (size_t index = 0; index < printers_.size(); ++index) {
        if (printers_[index].status != PrinterStatus::Running) continue;
        if (std::optional<ProcessEnd> end = active_[index].process->Ended())
            FinishRun(index, *end);
        else
            EnforceTimeout(index);
    }
    for (size_t index = 0; index < printers_.size(); ++index) {
        if (settings_.jobs > 0 && Running() >= settings_.jobs) return;
        if (printers_[index].status == PrinterStatus::Waiting && printers_[index].present) StartJob(index);
    }
}

void Station::EnforceTimeout(size_t index) {
    ActiveRun& active = active_[index];
    const int64_t now = NowMs();
    if (!active.timedOut && settings_.timeoutMs > 0 && now - printers_[index].startMs >= settings_.timeoutMs) {
        active.timedOut = true;
        active.endAskedMs = now;
        active.process->Terminate();
        return;
    }
    if (active.timedOut && !active.killed && now - active.endAskedMs >= kEndGraceMs) {
        active.killed = true;
        active.process->Kill();
    }
}

void Station::StartJob(size_t index) {
    StationPrinter& printer = printers_[index];
    std::error_code error;
    fs::create_directories(printer.folder, error);
    printer.status = PrinterStatus::Running;
    printer.startMs = NowMs();
    printer.start = std::chrono::system_clock::now();
    printer.run = 0;
    if (error) {
        EndJob(index, PrinterStatus::Failed, printer.folder + ": " + error.message());
        return;
    }
    StartNextRun(index);
}

void Station::StartNextRun(size_t index) {
    StationPrinter& printer = printers_[index];
    const StationRun& run = settings_.runs[static_cast<size_t>(printer.run)];
    ++printer.run;
    printer.action = RunText(run);
    const std::string recordPath = printer.folder + "/" + kRunRecordFile;
    // Every run: the exit code tells every failure, and the record tells what happened.
    LaunchRequest request{.program = settings_.program,
                          .arguments = {std::string(kStrictOption), std::string(kRecordOption), recordPath,
                                        kPortKeyword + printer.port},
                          .folder = printer.folder,
                          .outputPath = printer.folder + "/" + kRunOutputFile,
                          .set = settings_.environment,
                          .unset = kDisplayVariables};
    const StationRun keywords = PrinterRun(run, printer.port, printer.name, settings_.workingFolder);
    request.arguments.insert(request.arguments.end(), keywords.begin(), keywords.end());
    ActiveRun& active = active_[index];
    active = ActiveRun{};
    active.recordOffset = FileSize(recordPath);
    std::string problem;
    active.process = launcher_.Launch(request, problem);
    if (!active.process) {
        EndJob(index, PrinterStatus::Failed, "run " + std::to_string(printer.run) + " did not start: " + problem);
        return;
    }
    Changed(index);
}

void Station::FinishRun(size_t index, const ProcessEnd& end) {
    StationPrinter& printer = printers_[index];
    ActiveRun& active = active_[index];
    const std::string recordText = TextFrom(printer.folder + "/" + kRunRecordFile, active.recordOffset);
    const RunOutcome outcome = JudgeRun(printer.run, settings_.runs[static_cast<size_t>(printer.run - 1)], end,
                                        active.timedOut, recordText);
    active.process.reset();
    if (outcome.recordLine) printer.runRecords.push_back(*outcome.recordLine);
    if (outcome.firmware && !outcome.firmware->empty()) printer.firmware = *outcome.firmware;
    if (!outcome.passed) {
        EndJob(index, PrinterStatus::Failed, outcome.error);
        return;
    }
    if (printer.run == printer.runCount) {
        EndJob(index, PrinterStatus::Passed, {});
        return;
    }
    StartNextRun(index);
}

void Station::EndJob(size_t index, PrinterStatus status, const std::string& error) {
    StationPrinter& printer = printers_[index];
    printer.status = status;
    printer.error = error;
    printer.action.clear();
    printer.endMs = NowMs();
    printer.end = std::chrono::system_clock::now();
    active_[index] = ActiveRun{};
    std::string problem;
    if (!settings_.recordPath.empty() &&
        !AppendRunRecordLine(settings_.recordPath, StationRecordLine(printer), problem) && observer_)
        observer_->StationProblem("the record of " + printer.port + " could not be appended to " +
                                  settings_.recordPath + ": " + problem);
    if (observer_) observer_->PrinterEnded(printer);
}

void Station::Stop() {
    const int64_t asked = NowMs();
    bool killed = false;
    for (size_t index = 0; index < printers_.size(); ++index)
        if (printers_[index].status == PrinterStatus::Running) active_[index].process->Terminate();
    for (;;) {
        const bool killNow = !killed && NowMs() - asked >= kEndGraceMs;
        killed = killed || killNow;
        bool running = false;
        for (size_t index = 0; index < printers_.size(); ++index) {
            if (printers_[index].status != PrinterStatus::Running) continue;
            if (active_[index].process->Ended()) {
                KeepRunRecord(index);
                EndJob(index, PrinterStatus::Failed, std::string(kStopped));
                continue;
            }
            running = true;
            if (killNow) active_[index].process->Kill();
        }
        if (!running) break;
        clock_.Sleep(kStopPollMs);
    }
    for (size_t index = 0; index < printers_.size(); ++index) {
        if (printers_[index].status != PrinterStatus::Waiting) continue;
        printers_[index].startMs = NowMs();
        printers_[index].start = std::chrono::system_clock::now();
        EndJob(index, PrinterStatus::Failed, std::string(kStoppedBeforeStart));
    }
}

void Station::KeepRunRecord(size_t index) {
    StationPrinter& printer = printers_[index];
    const std::string text = TextFrom(printer.folder + "/" + kRunRecordFile, active_[index].recordOffset);
    if (std::optional<std::string> line = LastRecordLine(text)) printer.runRecords.push_back(*line);
}

void Station::Changed(size_t index) {
    if (observer_) observer_->PrinterChanged(printers_[index]);
}

}  // namespace varnel
