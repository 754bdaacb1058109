#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/PrinterFilesCommands.h"
#include "files/FilesContext.h"

namespace varnel {


// The file manager's limits and texts.
inline constexpr size_t kListReplySize = 8000;
inline constexpr size_t kMaxSelectedFiles = 99;
inline constexpr size_t kMaxDroppedFiles = 100;
inline constexpr size_t kUploadBlockSize = 1000;
inline constexpr size_t kMaxUploadBlocks = 10'000;
inline constexpr size_t kMaxDownloadChunks = 200'000;

inline constexpr const char* kApplicationTitle = "Varnel";
inline constexpr const char* kNoPortText =
    "I/O Port not specified, or I/O Port not specified before file parameter.";
inline constexpr const char* kCommErrorText = "Communications error";
inline constexpr const char* kCommErrorCaption = "ERROR";
inline constexpr const char* kCannotReadText = "Cannot read file.";
inline constexpr const char* kDeleteAllQuestion = "Are you sure you wish to delete all files?";
inline constexpr const char* kDeleteAllCaption = "WARNING";
inline constexpr const char* kReplaceCaption = kApplicationTitle;

// "File(s) in printer.  [" + portName + "]"
std::string PrinterFilesCaption(const std::string& portName);
// The question before Read / Save to Disk replaces the local file `name`.
std::string ReplaceLocalFileQuestion(const std::string& name);
// The question before an upload replaces the printer's file `name`.
std::string ReplacePrinterFileQuestion(const std::string& name);
// The question before Delete removes the printer's files `names`.
std::string DeleteFilesQuestion(const std::vector<std::string>& names);
// What Read / Save to Disk says when it is done: where each file went.
std::string SavedFilesText(const std::vector<std::string>& paths);
// What an upload cancelled inside the file `name` says; `filesAfter` were not started.
std::string UploadCancelledText(const std::string& name, uint64_t sent, uint64_t length, size_t filesAfter);
// What an upload cancelled before the file `name` says; `filesAfter` were not started either.
std::string UploadCancelledBeforeText(const std::string& name, size_t filesAfter);
// What a cancelled Read / Save to Disk says: the file it was reading is not kept; the files
// saved whole before it (`saved`, full paths) are.
std::string SaveCancelledText(const std::string& name, const std::vector<std::string>& saved);

// The operations of the printer file manager, apart from the widgets: each works on the
// application's port and shows its results through the view. Each returns 1 when it ran to its
// end and 0 when it stopped early.
//
// One operation at a time owns the port. The view's pauses may hand out window messages, the
// refresh timer among them, so a list read runs only when no other operation does, or when one
// hands out messages on purpose with its port closed (Delete's wait for the list); otherwise it
// stays scheduled and runs once that operation is over.
class PrinterFileManager : public PrinterFilesCommands {
public:
    // `selectPort` runs the program's port selection (may be empty: no port selection).
    PrinterFileManager(const FilesContext& context, PrinterFilesView& view, std::function<void()> selectPort = {});

    // Dialog start: caption and a scheduled refresh.
    void Initialise() override;
    // Reads the list from the printer into the view. Asked for while a read runs, it is that read.
    int Refresh();
    // Starts the refresh timer (Refresh List). A refresh scheduled while one runs is merged into
    // it: the running read is the answer it asks for.
    void ScheduleRefresh() override;
    // The view's refresh timer fired: runs the scheduled refresh when the port is free for it.
    void RefreshTimerFired() override;
    // Whether an operation, a list read among them, is running.
    bool Busy() const override { return running_ > 0; }

    // Copies local files into the printer, in order, at most 100.
    int Upload(const std::vector<std::string>& paths) override;
    // Asks the view for files to upload and copies them as a drop does.
    int UploadChosen() override;
    // Copies the selected printer files into the current directory.
    int SaveToDisk() override;
    int Delete() override;
    int DeleteAll() override;
    int ResetPrinter() override;
    void CommPort() override;
    bool CanSelectPort() const override { return static_cast<bool>(selectPort_); }

private:
    // Marks an operation as running for its scope; a refresh scheduled meanwhile is started
    // again when the last one ends.
    class Running {
    public:
        explicit Running(PrinterFileManager& manager);
        ~Running();
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;

    private:
        PrinterFileManager& manager_;
    };

    // Whether a list read leaves the bar alone: after a transfer the bar keeps showing how far it got.
    enum class BarAfterRead { Reset, Keep };

    bool OpenPort();
    int Refresh(BarAfterRead bar);
    int ReadList(BarAfterRead bar);
    std::string ReadListReply();
    void StartRefreshTimer();
    // Handles pending messages with the port closed, so a scheduled refresh runs here.
    void HandleMessagesWithRefresh();
    // A printer file to copy to disk, with its size when the list tells it.
    struct FileToSave {
        std::string name;
        std::optional<uint64_t> size;
    };
    std::vector<FileToSave> FilesToSave();
    // The dropped or chosen files, without those whose printer file the user keeps.
    std::vector<std::string> PathsToUpload(const std::vector<std::string>& paths);
    void WaitUntilReady(int maxPauses);
    int SendBlock(const std::string& block);
    // How far the file being transferred got: bytes done of its length.
    struct Transferred {
        uint64_t done = 0;
        uint64_t length = 0;
    };
    // The bar of one file's transfer: by bytes when its length is known, else busy.
    void StartTransferBar(std::optional<uint64_t> length);
    void ShowTransferred(const Transferred& transferred);
    // Lets the dialog answer between two blocks; true when its Cancel was asked.
    bool CancelAsked();
    // NotStarted: a Cancel came before the file was opened.
    enum class UploadResult { Sent, Cancelled, NotStarted, CommunicationsError, FileNotRead };
    UploadResult UploadOne(const std::string& path, Transferred& transferred);
    void ReportUploadEnd(UploadResult result, const std::string& path, const Transferred& transferred,
                         size_t filesAfter);
    // What the loop over the selected files does after one of them.
    enum class SaveResult { NextFile, LeaveLoop, StopAtOnce, Cancelled };
    // A file saved whole adds its full path to `saved`.
    SaveResult SaveOne(const FileToSave& file, std::vector<std::string>& saved);
    void EndUpload();

    FilesContext context_;
    PrinterFilesView& view_;
    std::function<void()> selectPort_;
    int running_ = 0;
    bool refreshPending_ = false;
    bool timerStarted_ = false;  // the view's refresh timer runs and has not fired yet
    bool refreshRunning_ = false;
    bool refreshMayRun_ = false;
    // The file names of the list last read from the printer.
    std::vector<std::string> listedNames_;
};

}  // namespace varnel
