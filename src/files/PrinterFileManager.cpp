#include "files/PrinterFileManager.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "base/Clock.h"
#include "base/Reporter.h"
#include "files/FileList.h"
#include "files/LocalFileName.h"
#include "base/PrinterFilesView.h"
#include "io/IOComm.h"
#include "model/ConfigModel.h"
#include "protocol/PrinterCommands.h"

namespace varnel {
namespace {

const std::vector<int> kListTabStops{90, 120, 130, 140, 150};
constexpr int kProgressMax = 100;

// Refresh
constexpr int64_t kListWaitOutputMs = 2000;
constexpr int64_t kListReplyPauseMs = 200;
constexpr int kListByteAttempts = 2;
constexpr int64_t kListRetryPauseMs = 1000;

// Upload
constexpr uint32_t kUploadTimeoutConstantMs = 5000;
constexpr uint32_t kUploadTimeoutMultiplierMs = 50;
constexpr uint32_t kNormalTimeoutConstantMs = 1000;
constexpr uint32_t kNormalTimeoutMultiplierMs = 20;
constexpr int64_t kUploadStartPauseMs = 500;
constexpr int64_t kOpenRetryPauseMs = 500;
constexpr int kUploadReadyPauses = 142;
constexpr int64_t kReadyPauseMs = 100;
constexpr int64_t kLengthPauseMs = 10;
constexpr int64_t kAfterUploadPauseMs = 100;

// Read / Save to Disk
constexpr int64_t kAfterSavePauseMs = 400;

// Delete
constexpr int64_t kAfterDeletePauseMs = 1000;
constexpr int kDeleteReadyPauses = 42;
constexpr int kDeleteProgressPerFile = 5;
constexpr int64_t kPrinterDeletePauseMs = 1200;
constexpr int kListWaitAttempts = 10;
constexpr int kListWaitProgressStep = 10;
constexpr int64_t kListWaitPauseMs = 1000;
constexpr int64_t kDeleteEndPauseMs = 200;

// Delete All
constexpr int kEraseSteps = 100;
constexpr int64_t kEraseStepPauseMs = 100;

}  // namespace

std::string PrinterFilesCaption(const std::string& portName) { return "File(s) in printer.  [" + portName + "]"; }

std::string ReplaceLocalFileQuestion(const std::string& name) {
    return "The file \"" + name + "\" already exists in the current folder.\nReplace it with the printer's file?";
}

std::string ReplacePrinterFileQuestion(const std::string& name) {
    return "The printer already holds a file \"" + name + "\".\nReplace it with the file from the computer?";
}

std::string DeleteFilesQuestion(const std::vector<std::string>& names) {
    std::string text = "Delete these files from the printer?\n";
    for (const std::string& name : names) text += "\n" + name;
    return text;
}

std::string SavedFilesText(const std::vector<std::string>& paths) {
    std::string text = "Saved to disk:\n";
    for (const std::string& path : paths) text += "\n" + path;
    return text;
}

PrinterFileManager::PrinterFileManager(const FilesContext& context, PrinterFilesView& view,
                                       std::function<void()> selectPort)
    : context_(context), view_(view), selectPort_(std::move(selectPort)) {}

PrinterFileManager::Running::Running(PrinterFileManager& manager) : manager_(manager) { ++manager_.running_; }

PrinterFileManager::Running::~Running() {
    // A refresh held back while this ran gets its timer again, unless the timer is still to fire.
    if (--manager_.running_ == 0 && manager_.refreshPending_ && !manager_.timerStarted_) manager_.StartRefreshTimer();
}

void PrinterFileManager::Initialise() {
    view_.SetCaption(PrinterFilesCaption(context_.model.portName));
    ScheduleRefresh();
}

bool PrinterFileManager::OpenPort() { return context_.port.Open(context_.model.portName, "", SaveCommSetup::Yes) != 0; }

// ---- Refresh and its scheduling

void PrinterFileManager::ScheduleRefresh() {
    if (refreshRunning_) return;
    refreshPending_ = true;
    StartRefreshTimer();
}

void PrinterFileManager::StartRefreshTimer() {
    timerStarted_ = true;
    view_.ScheduleRefresh();
}

void PrinterFileManager::RefreshTimerFired() {
    timerStarted_ = false;
    if (!refreshPending_ || refreshRunning_) return;
    // In the middle of another operation the port is its own; the refresh waits for it.
    if (Busy() && !refreshMayRun_) return;
    Refresh();
}

int PrinterFileManager::Refresh() {
    if (refreshRunning_) return 1;
    Running running(*this);
    refreshRunning_ = true;
    refreshPending_ = false;  // whoever asked is answered by this read
    const int result = ReadList();
    refreshRunning_ = false;
    return result;
}

void PrinterFileManager::HandleMessagesWithRefresh() {
    refreshMayRun_ = true;
    view_.PumpMessages();
    // The timer may have come due in a pause before, when the refresh had to wait.
    if (refreshPending_) Refresh();
    refreshMayRun_ = false;
}

int PrinterFileManager::ReadList() {
    if (context_.model.portName.empty()) {
        context_.reporter.ReportError(kNoPortText, event::kGeneral, kSeverityError);
        return 0;
    }
    if (!OpenPort()) return 0;
    if (!context_.port.OutputString(cmd::kFileList)) return 0;

    view_.SetTabStops(kListTabStops);
    context_.port.WaitOutput(kListWaitOutputMs);
    context_.clock.Sleep(kListReplyPauseMs);
    const std::string reply = ReadListReply();
    if (!reply.empty()) context_.state.listAnswered = 1;

    view_.ClearList();
    listedNames_.clear();
    for (const std::string& entry : ParseFileList(reply)) {
        view_.AddEntry(entry);
        listedNames_.push_back(EntryFileName(entry));
    }
    context_.port.Close();
    view_.Repaint();
    view_.SetProgress(0);
    return 1;
}

// Byte by byte, each byte with two tries and a pause after a failed one. A failed try takes no
// place in the reply: a slow printer must not split a name in two. The read ends at the empty
// text that ends the list: two zero bytes in a row, or a zero byte first when the list is empty;
// nothing after it would be listed, so it is not waited for.
std::string PrinterFileManager::ReadListReply() {
    std::string reply;
    while (reply.size() < kListReplySize) {
        char byte = 0;
        bool received = false;
        for (int attempt = 0; attempt < kListByteAttempts && !received; ++attempt) {
            received = context_.port.Input(&byte, 1) == 1;
            if (!received) context_.clock.Sleep(kListRetryPauseMs);
        }
        if (!received) break;
        reply.push_back(byte);
        size_t n = reply.size();
        if (reply[n - 1] == '\0' && (n == 1 || reply[n - 2] == '\0')) break;
    }
    return reply;
}

// ---- Upload

int PrinterFileManager::UploadChosen() {
    const std::vector<std::string> paths = view_.ChooseFilesToUpload();
    if (paths.empty()) return 0;
    return Upload(paths);
}

std::vector<std::string> PrinterFileManager::PathsToUpload(const std::vector<std::string>& paths) {
    std::vector<std::string> kept;
    for (size_t i = 0; i < std::min(paths.size(), kMaxDroppedFiles); ++i) {
        const std::string name = PrinterNameOfPath(paths[i]);
        const bool listed = std::any_of(listedNames_.begin(), listedNames_.end(),
                                        [&name](const std::string& held) { return EqualsIgnoreCase(held, name); });
        // A printer file is not replaced without a word.
        if (listed && !view_.AskYesNo(kReplaceCaption, ReplacePrinterFileQuestion(name))) continue;
        kept.push_back(paths[i]);
    }
    return kept;
}

int PrinterFileManager::Upload(const std::vector<std::string>& dropped) {
    Running running(*this);
    // Every question is asked before the port opens, as for Read / Save to Disk.
    const std::vector<std::string> paths = PathsToUpload(dropped);
    int result = 1;
    for (size_t i = 0; i < paths.size(); ++i) {
        UploadResult sent = UploadOne(paths[i]);
        if (sent == UploadResult::Sent) continue;
        if (sent == UploadResult::CommunicationsError) view_.MessageBox(kCommErrorCaption, kCommErrorText);
        result = 0;
        break;
    }
    EndUpload();
    return result;
}

void PrinterFileManager::EndUpload() {
    context_.port.SetTimeouts(kNormalTimeoutConstantMs, kNormalTimeoutMultiplierMs);
    view_.SetCaption(PrinterFilesCaption(context_.model.portName));
}

void PrinterFileManager::WaitUntilReady(int maxPauses) {
    for (int pause = 0; pause < maxPauses && !context_.port.IsReady(); ++pause) context_.clock.Sleep(kReadyPauseMs);
}

int PrinterFileManager::SendBlock(const std::string& block, uint32_t blockNumber, uint32_t fileLength) {
    IOComm& port = context_.port;
    WaitUntilReady(kUploadReadyPauses);
    if (!port.OutputString(cmd::kFileWriteBlockCommand) || port.GetBytesWritten() != cmd::kFileWriteBlockCommand.size())
        return 0;

    const std::string lengthBytes = cmd::FileBlockLength(static_cast<uint16_t>(block.size()));
    context_.clock.Sleep(kLengthPauseMs);
    WaitUntilReady(kUploadReadyPauses);
    if (!port.Output(lengthBytes) || port.GetBytesWritten() != lengthBytes.size()) return 0;

    if (!port.Output(block) || port.GetBytesWritten() != block.size()) return 0;
    view_.SetProgress(static_cast<int>(blockNumber * kUploadBlockSize * kProgressMax / fileLength + 1));
    return 1;
}

PrinterFileManager::UploadResult PrinterFileManager::UploadOne(const std::string& path) {
    IOComm& port = context_.port;
    const std::string name = PrinterNameOfPath(path);
    if (!OpenPort()) return UploadResult::CommunicationsError;
    port.SetTimeouts(kUploadTimeoutConstantMs, kUploadTimeoutMultiplierMs);
    context_.clock.Sleep(kUploadStartPauseMs);

    // The local file is opened before the printer opens its own, so a file that cannot be read
    // leaves no file half-open in the printer.
    std::ifstream local(path, std::ios::binary);
    if (!local) {
        view_.MessageBox(kApplicationTitle, kCannotReadText);
        return UploadResult::FileNotRead;
    }
    local.seekg(0, std::ios::end);
    const std::streamoff size = local.tellg();
    local.seekg(0, std::ios::beg);
    if (size < 0 || !local) {
        view_.MessageBox(kApplicationTitle, kCannotReadText);
        return UploadResult::FileNotRead;
    }
    // The printer takes at most 10,000 blocks; a longer file would arrive cut short.
    if (static_cast<uint64_t>(size) > kMaxUploadBlocks * kUploadBlockSize) {
        context_.reporter.ReportError("File too large for the printer: " + path, event::kGeneral, kSeverityError);
        return UploadResult::FileNotRead;
    }
    const auto fileLength = static_cast<uint32_t>(size);

    const std::string open = std::string(cmd::kFileOpenForWritingHead) + name;
    if (!port.OutputString(open)) {
        context_.clock.Sleep(kOpenRetryPauseMs);
        if (!port.OutputString(open)) return UploadResult::CommunicationsError;
    }
    if (!port.Output(cmd::kFileNameEnd)) return UploadResult::CommunicationsError;

    view_.SetProgressRange(0, kProgressMax);
    view_.SetProgress(1);
    std::string block(kUploadBlockSize, '\0');
    for (uint32_t blockNumber = 0; blockNumber < kMaxUploadBlocks; ++blockNumber) {
        local.read(block.data(), static_cast<std::streamsize>(kUploadBlockSize));
        const auto got = static_cast<size_t>(local.gcount());
        if (got == 0) break;
        if (!SendBlock(block.substr(0, got), blockNumber, fileLength))
            return UploadResult::CommunicationsError;
    }

    view_.SetProgress(kProgressMax);
    if (!port.OutputString(cmd::kFileClose)) return UploadResult::CommunicationsError;
    local.close();
    port.Close();
    context_.clock.Sleep(kAfterUploadPauseMs);
    Refresh();
    view_.Repaint();
    return UploadResult::Sent;
}

// ---- Read / Save to Disk

int PrinterFileManager::SaveToDisk() {
    Running running(*this);
    // Every question is asked before the port opens: a printer on the network may drop a
    // connection that idles while the user thinks.
    const std::vector<std::string> names = NamesToSave();
    if (!OpenPort()) return 0;
    // Where the files went is said at the end, also after a failure half-way.
    std::vector<std::string> saved;
    int result = 1;
    for (const std::string& name : names) {
        SaveResult step = SaveOne(name, saved);
        if (step == SaveResult::StopAtOnce) {
            result = 0;  // the port stays open, as after every send failure
            break;
        }
        if (step == SaveResult::LeaveLoop) break;
    }
    if (result) {
        context_.port.Close();
        context_.clock.Sleep(kAfterSavePauseMs);
        view_.SetProgress(0);
    }
    if (!saved.empty()) view_.MessageBox(kApplicationTitle, SavedFilesText(saved));
    return result;
}

// The selected files' names, at most 99, without those that must not or shall not be written.
std::vector<std::string> PrinterFileManager::NamesToSave() {
    std::vector<std::string> selected = view_.SelectedEntries();
    if (selected.size() > kMaxSelectedFiles) selected.resize(kMaxSelectedFiles);
    std::vector<std::string> names;
    for (const std::string& entry : selected) {
        std::string name = EntryFileName(entry);
        // A name the printer sent must not reach outside the current directory.
        if (!IsSafeLocalFileName(name)) {
            const std::string text = "Printer file name not usable as a local file name, not saved: \"" + name + "\"";
            context_.reporter.ReportError(text, event::kGeneral, kSeverityError);
            continue;
        }
        // A local file is not lost without a word.
        if (LocalFileExists(name) && !view_.AskYesNo(kReplaceCaption, ReplaceLocalFileQuestion(name))) continue;
        names.push_back(std::move(name));
    }
    return names;
}

PrinterFileManager::SaveResult PrinterFileManager::SaveOne(const std::string& name, std::vector<std::string>& saved) {
    IOComm& port = context_.port;
    if (!port.OutputString(std::string(cmd::kFileOpenForReadingHead) + name) || !port.Output(cmd::kFileNameEnd))
        return SaveResult::StopAtOnce;
    FileReplacement local(name);
    if (!local.IsOpen()) {
        context_.reporter.ReportError("Cannot create the file \"" + name + "\" in the current directory.",
                                      event::kGeneral, kSeverityError);
        return SaveResult::LeaveLoop;
    }

    view_.SetProgress(0);
    bool transferFailed = false;
    char chunk[cmd::kFileReadBlockSize];
    for (size_t chunks = 1; chunks <= kMaxDownloadChunks; ++chunks) {
        if (!port.OutputString(cmd::kFileReadBlockCommand) || !port.Output(cmd::kFileReadBlockLength)) {
            transferFailed = true;
            break;
        }
        int got = port.Input(chunk, sizeof chunk);
        if (got <= 0) break;  // the file is exhausted
        if (!local.Write(std::string_view(chunk, static_cast<size_t>(got)))) {
            transferFailed = true;
            break;
        }
        view_.SetProgress(static_cast<int>(chunks));
    }
    view_.SetProgress(kProgressMax);
    if (transferFailed || !local.Commit()) {
        local.Discard();
        context_.reporter.ReportError("Reading the file \"" + name + "\" from the printer failed; nothing was saved.",
                                      event::kGeneral, kSeverityError);
    } else {
        std::error_code ignored;
        saved.push_back(std::filesystem::absolute(name, ignored).string());
    }
    if (!port.OutputString(cmd::kFileClose)) return SaveResult::LeaveLoop;
    return SaveResult::NextFile;
}

// ---- Delete

int PrinterFileManager::Delete() {
    Running running(*this);
    IOComm& port = context_.port;
    std::vector<std::string> selected = view_.SelectedEntries();
    if (selected.size() > kMaxSelectedFiles) selected.resize(kMaxSelectedFiles);
    // A deleted file cannot come back: asked first, before the port opens; No is the default.
    if (!selected.empty()) {
        std::vector<std::string> names;
        for (const std::string& entry : selected) names.push_back(EntryFileName(entry));
        if (!view_.AskYesNo(kDeleteAllCaption, DeleteFilesQuestion(names))) return 0;
    }
    if (!OpenPort()) return 0;
    view_.SetProgressRange(0, kProgressMax);
    view_.SetProgress(1);

    int sent = 0;
    for (const std::string& entry : selected) {
        const std::string name = EntryFileName(entry);
        if (!port.OutputString(std::string(cmd::kFileDeleteHead) + name) || !port.Output(cmd::kFileNameEnd)) {
            view_.SetProgress(0);
            return 0;
        }
        ++sent;
        context_.clock.Sleep(kAfterDeletePauseMs);
        WaitUntilReady(kDeleteReadyPauses);
        view_.SetProgress((sent - 1) * kDeleteProgressPerFile + 1);
        // The port is open here: a refresh that comes due waits for the wait below.
        view_.PumpMessages();
    }
    port.Close();
    // The printer's time to come back after its deletes.
    context_.clock.Sleep(kPrinterDeletePauseMs * sent);

    // The refresh runs while messages are handled; the wait ends once the printer has answered
    // it, with an empty list too (the last file may have gone).
    ScheduleRefresh();
    context_.state.listAnswered = 0;
    for (int attempt = 0; attempt < kListWaitAttempts; ++attempt) {
        view_.SetProgress(sent * kDeleteProgressPerFile + attempt * kListWaitProgressStep);
        // Once answered, no further read is asked for: it would only run after the wait is over.
        if (context_.state.listAnswered) break;
        ScheduleRefresh();
        context_.clock.Sleep(kListWaitPauseMs);
        HandleMessagesWithRefresh();
    }
    context_.clock.Sleep(kDeleteEndPauseMs);
    view_.SetProgress(0);
    return 1;
}

// ---- Delete All, Reset Printer, Comm Port

int PrinterFileManager::DeleteAll() {
    Running running(*this);
    if (!view_.AskYesNo(kDeleteAllCaption, kDeleteAllQuestion)) return 0;
    if (context_.model.portName.empty()) {
        context_.reporter.ReportError(kNoPortText, event::kGeneral, kSeverityError);
        return 0;
    }
    if (!OpenPort()) return 0;
    if (!context_.port.OutputString(cmd::kFileDeleteAll)) return 0;
    context_.port.Close();
    // About ten seconds for the printer to erase its memory.
    view_.SetProgressRange(0, kProgressMax);
    for (int step = 0; step < kEraseSteps; ++step) {
        context_.clock.Sleep(kEraseStepPauseMs);
        view_.SetProgress(step);
    }
    // The list is read as soon as this operation is over, and shows the printer's answer.
    ScheduleRefresh();
    view_.SetProgress(0);
    return 1;
}

int PrinterFileManager::ResetPrinter() {
    Running running(*this);
    if (!OpenPort()) return 0;
    if (!context_.port.OutputString(cmd::kFileReset)) return 0;
    context_.port.Close();
    return 1;
}

void PrinterFileManager::CommPort() {
    Running running(*this);
    if (selectPort_) selectPort_();
    view_.SetCaption(PrinterFilesCaption(context_.model.portName));
}

}  // namespace varnel
