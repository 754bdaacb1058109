#include "files/PrinterFileManager.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "base/CancelledText.h"
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

namespace {

// "; the file after it was not sent" or "; the N files after it were not sent"; empty for none.
std::string FilesAfterNotSent(size_t filesAfter) {
    if (filesAfter == 0) return "";
    if (filesAfter == 1) return "; the file after it was not sent";
    return "; the " + std::to_string(filesAfter) + " files after it were not sent";
}

}  // namespace

std::string UploadCancelledText(const std::string& name, uint64_t sent, uint64_t length, size_t filesAfter) {
    return CancelledText("Upload", static_cast<int64_t>(sent), static_cast<int64_t>(length),
                         "bytes of \"" + name + "\"", "the printer holds the part sent") +
           FilesAfterNotSent(filesAfter);
}

std::string UploadCancelledBeforeText(const std::string& name, size_t filesAfter) {
    return "Upload cancelled: \"" + name + "\" was not sent" + FilesAfterNotSent(filesAfter);
}

std::string SaveCancelledText(const std::string& name, const std::vector<std::string>& saved) {
    std::string text = "Save to Disk cancelled: \"" + name + "\" was not saved";
    if (!saved.empty()) text += "\n\n" + SavedFilesText(saved);
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

int PrinterFileManager::Refresh() { return Refresh(BarAfterRead::Reset); }

int PrinterFileManager::Refresh(BarAfterRead bar) {
    if (refreshRunning_) return 1;
    Running running(*this);
    refreshRunning_ = true;
    refreshPending_ = false;  // whoever asked is answered by this read
    const int result = ReadList(bar);
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

int PrinterFileManager::ReadList(BarAfterRead bar) {
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
    if (bar == BarAfterRead::Reset) view_.SetProgress(0);
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
    view_.OfferCancel(true);
    UploadResult result = UploadResult::Sent;
    Transferred transferred;
    size_t file = 0;
    for (; file < paths.size(); ++file) {
        // A Cancel asked between two files leaves the next one unopened.
        result = CancelAsked() ? UploadResult::NotStarted : UploadOne(paths[file], transferred);
        if (result != UploadResult::Sent) break;
    }
    view_.OfferCancel(false);
    if (result != UploadResult::Sent) ReportUploadEnd(result, paths[file], transferred, paths.size() - file - 1);
    EndUpload();
    return result == UploadResult::Sent ? 1 : 0;
}

void PrinterFileManager::ReportUploadEnd(UploadResult result, const std::string& path,
                                         const Transferred& transferred, size_t filesAfter) {
    const std::string name = PrinterNameOfPath(path);
    switch (result) {
    case UploadResult::Sent:
    case UploadResult::FileNotRead:  // said when it was found
        return;
    case UploadResult::CommunicationsError:
        view_.MessageBox(kCommErrorCaption, kCommErrorText);
        return;
    case UploadResult::Cancelled:
        view_.MessageBox(kApplicationTitle,
                         UploadCancelledText(name, transferred.done, transferred.length, filesAfter));
        return;
    case UploadResult::NotStarted:
        view_.MessageBox(kApplicationTitle, UploadCancelledBeforeText(name, filesAfter));
        return;
    }
}

void PrinterFileManager::EndUpload() {
    context_.port.SetTimeouts(kNormalTimeoutConstantMs, kNormalTimeoutMultiplierMs);
    view_.SetCaption(PrinterFilesCaption(context_.model.portName));
}

void PrinterFileManager::WaitUntilReady(int maxPauses) {
    for (int pause = 0; pause < maxPauses && !context_.port.IsReady(); ++pause) context_.clock.Sleep(kReadyPauseMs);
}

void PrinterFileManager::StartTransferBar(std::optional<uint64_t> length) {
    view_.SetProgressRange(0, length && *length > 0 ? kProgressMax : 0);
    view_.SetProgress(0);
}

void PrinterFileManager::ShowTransferred(const Transferred& transferred) {
    if (transferred.length == 0) return;  // a busy bar has no position
    const uint64_t done = std::min(transferred.done, transferred.length);
    view_.SetProgress(static_cast<int>(done * kProgressMax / transferred.length));
}

bool PrinterFileManager::CancelAsked() {
    view_.PumpMessages();
    return view_.CancelRequested();
}

// A block announced with its length goes whole: the printer counts its bytes.
int PrinterFileManager::SendBlock(const std::string& block) {
    IOComm& port = context_.port;
    WaitUntilReady(kUploadReadyPauses);
    if (!port.OutputString(cmd::kFileWriteBlockCommand) || port.GetBytesWritten() != cmd::kFileWriteBlockCommand.size())
        return 0;

    const std::string lengthBytes = cmd::FileBlockLength(static_cast<uint16_t>(block.size()));
    context_.clock.Sleep(kLengthPauseMs);
    WaitUntilReady(kUploadReadyPauses);
    if (!port.Output(lengthBytes) || port.GetBytesWritten() != lengthBytes.size()) return 0;

    return port.Output(block) && port.GetBytesWritten() == block.size() ? 1 : 0;
}

PrinterFileManager::UploadResult PrinterFileManager::UploadOne(const std::string& path, Transferred& transferred) {
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
    transferred = Transferred{0, static_cast<uint64_t>(size)};

    const std::string open = std::string(cmd::kFileOpenForWritingHead) + name;
    if (!port.OutputString(open)) {
        context_.clock.Sleep(kOpenRetryPauseMs);
        if (!port.OutputString(open)) return UploadResult::CommunicationsError;
    }
    if (!port.Output(cmd::kFileNameEnd)) return UploadResult::CommunicationsError;

    view_.SetProgressRange(0, kProgressMax);
    view_.SetProgress(0);
    bool cancelled = false;
    std::string block(kUploadBlockSize, '\0');
    for (size_t blockNumber = 0; blockNumber < kMaxUploadBlocks; ++blockNumber) {
        local.read(block.data(), static_cast<std::streamsize>(kUploadBlockSize));
        const auto got = static_cast<size_t>(local.gcount());
        if (got == 0) break;
        if (CancelAsked()) {
            cancelled = true;
            break;
        }
        if (!SendBlock(block.substr(0, got))) return UploadResult::CommunicationsError;
        transferred.done += got;
        ShowTransferred(transferred);
    }

    // Cancelled too, the printer's file is closed: the printer holds the part sent.
    if (!cancelled) view_.SetProgress(kProgressMax);
    if (!port.OutputString(cmd::kFileClose)) return UploadResult::CommunicationsError;
    local.close();
    port.Close();
    context_.clock.Sleep(kAfterUploadPauseMs);
    Refresh(BarAfterRead::Keep);
    view_.Repaint();
    return cancelled ? UploadResult::Cancelled : UploadResult::Sent;
}

// ---- Read / Save to Disk

int PrinterFileManager::SaveToDisk() {
    Running running(*this);
    // Every question is asked before the port opens: a printer on the network may drop a
    // connection that idles while the user thinks.
    const std::vector<FileToSave> files = FilesToSave();
    if (!OpenPort()) return 0;
    // Where the files went is said at the end, also after a failure half-way.
    std::vector<std::string> saved;
    const std::string* cancelledName = nullptr;
    SaveResult step = SaveResult::NextFile;
    view_.OfferCancel(true);
    for (const FileToSave& file : files) {
        step = CancelAsked() ? SaveResult::Cancelled : SaveOne(file, saved);
        if (step == SaveResult::Cancelled) cancelledName = &file.name;
        if (step != SaveResult::NextFile) break;
    }
    view_.OfferCancel(false);
    // After a failed send the port stays open, as after every send failure.
    if (step != SaveResult::StopAtOnce) {
        context_.port.Close();
        context_.clock.Sleep(kAfterSavePauseMs);
    }
    if (cancelledName) {
        view_.MessageBox(kApplicationTitle, SaveCancelledText(*cancelledName, saved));
        return 0;
    }
    if (!saved.empty()) view_.MessageBox(kApplicationTitle, SavedFilesText(saved));
    return step == SaveResult::StopAtOnce ? 0 : 1;
}

// The selected files, at most 99, without those that must not or shall not be written.
std::vector<PrinterFileManager::FileToSave> PrinterFileManager::FilesToSave() {
    std::vector<std::string> selected = view_.SelectedEntries();
    if (selected.size() > kMaxSelectedFiles) selected.resize(kMaxSelectedFiles);
    std::vector<FileToSave> files;
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
        files.push_back(FileToSave{std::move(name), EntryFileSize(entry)});
    }
    return files;
}

PrinterFileManager::SaveResult PrinterFileManager::SaveOne(const FileToSave& file, std::vector<std::string>& saved) {
    IOComm& port = context_.port;
    const std::string& name = file.name;
    if (!port.OutputString(std::string(cmd::kFileOpenForReadingHead) + name) || !port.Output(cmd::kFileNameEnd))
        return SaveResult::StopAtOnce;
    FileReplacement local(name);
    if (!local.IsOpen()) {
        context_.reporter.ReportError("Cannot create the file \"" + name + "\" in the current directory.",
                                      event::kGeneral, kSeverityError);
        return SaveResult::LeaveLoop;
    }

    StartTransferBar(file.size);
    Transferred transferred{0, file.size.value_or(0)};
    bool transferFailed = false;
    bool cancelled = false;
    char chunk[cmd::kFileReadBlockSize];
    for (size_t chunks = 1; chunks <= kMaxDownloadChunks; ++chunks) {
        // Between two chunks, never inside one: the printer's reply to a request is read whole.
        if (chunks > 1 && CancelAsked()) {
            cancelled = true;
            break;
        }
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
        transferred.done += static_cast<uint64_t>(got);
        ShowTransferred(transferred);
    }
    view_.SetProgressRange(0, kProgressMax);
    view_.SetProgress(cancelled ? 0 : kProgressMax);
    if (cancelled) {
        local.Discard();
    } else if (transferFailed || !local.Commit()) {
        local.Discard();
        context_.reporter.ReportError("Reading the file \"" + name + "\" from the printer failed; nothing was saved.",
                                      event::kGeneral, kSeverityError);
    } else {
        std::error_code ignored;
        saved.push_back(std::filesystem::absolute(name, ignored).string());
    }
    // Cancelled too, the printer's file is closed, as at the end of a read.
    if (!port.OutputString(cmd::kFileClose)) return cancelled ? SaveResult::Cancelled : SaveResult::LeaveLoop;
    return cancelled ? SaveResult::Cancelled : SaveResult::NextFile;
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
