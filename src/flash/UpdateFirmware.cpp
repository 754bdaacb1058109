#include "flash/UpdateFirmware.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "base/Clock.h"
#include "base/Reporter.h"
#include "base/UserInterface.h"
#include "flash/BootFileReader.h"
#include "flash/BootFileRevision.h"
#include "flash/BootFileSearch.h"
#include "flash/BootReplyText.h"
#include "flash/FlashAskingDialog.h"
#include "flash/FileDialogFilter.h"
#include "flash/FlashLine.h"
#include "flash/FlashProgress.h"
#include "io/ClosePortOnFailure.h"
#include "io/IOComm.h"
#include "model/ConfigModel.h"
#include "model/SettingNames.h"
#include "model/DirectorySearch.h"
#include "protocol/PrinterCommands.h"

namespace varnel {

namespace {

constexpr size_t kMaxDrainBytes = 500;
constexpr int64_t kDeviceDrainPauseMs = 500;
constexpr int64_t kQueryOutputWaitMs = 2000;
constexpr int64_t kQueryReplyPauseMs = 100;
constexpr int64_t kFirmwareReplyPauseMs = 500;
constexpr int64_t kExitBootPauseMs = 1000;
constexpr int64_t kBaudSwitchPauseMs = 200;

constexpr size_t kStreamBlockSize = 1000;
constexpr int kReadyPauses = 100;
constexpr int64_t kReadyPauseMs = 100;
constexpr int64_t kResendPauseMs = 100;
// A printer that has taken nothing for this long is not coming back on its own.
constexpr int64_t kStalledStreamMs = 60000;
// The printer restarts on its own after a stream; a network printer takes longer to return.
constexpr int64_t kRestartPauseMs = 6000;
constexpr int64_t kNetworkRestartPauseMs = 8000;

constexpr std::string_view kBootFileFilter = "Boot files    (*.bot)|*.bot||";
constexpr std::string_view kChooserTitle = "Open";

constexpr std::string_view kNoFirmwareIdText = "You must specify a configuration that allows flash programming.";
constexpr std::string_view kNotInBootModeText = "Printer does not appear to be in Boot Load Mode!";
constexpr std::string_view kBootFileErrorText = "Boot File Error!";
constexpr std::string_view kFlashUpdatedText = "Flash Updated";
constexpr std::string_view kStreamStalledText =
    "Printer stopped taking data during the firmware update; the update is incomplete!";
constexpr std::string_view kBadFlashBaudText = "Flash baud rate not usable: ";

enum class QueryResult { Answered, SendFailed, NoReply };

// Switches the extras' substitution off for as long as it lives: the boot file goes out byte
// for byte, whatever the port's settings ask of ordinary output.
class SubstitutionOff {
public:
    explicit SubstitutionOff(IOComm& port) : extras_(port.Settings().Extras), saved_(extras_.DoExtra) {
        extras_.DoExtra = 0;
    }
    ~SubstitutionOff() { extras_.DoExtra = saved_; }
    SubstitutionOff(const SubstitutionOff&) = delete;
    SubstitutionOff& operator=(const SubstitutionOff&) = delete;

private:
    PortExtras& extras_;
    uint32_t saved_;
};

class FirmwareUpdate {
public:
    FirmwareUpdate(const FlashContext& context, const std::string& prefix, bool unattended)
        : ctx_(context), prefix_(prefix), unattended_(unattended) {}

    int Run();

private:
    int PortFailure() {
        CloseAskingDialog();
        return ClosePortOnFailure(*port_, ctx_.reporter, 0);
    }
    int CloseAndReport(std::string_view text, int eventCode);
    const std::string& PortName() const { return ctx_.model.portName; }

    // The dialog shown while the boot loader is asked goes before any error box of an early end.
    void CloseAskingDialog() {
        if (asking_) asking_->Close();
    }
    void ShowAnswers() {
        if (asking_) asking_->Refresh();
    }

    void Drain();
    QueryResult Query(std::string_view command, int64_t replyPauseMs, std::string& text);
    void FindFile();
    int LeaveBootMode(int eventCode);
    // Interactive: the dialog and, when needed, the file chooser. Returns -1 to go on with the
    // stream, otherwise the update's result.
    int AskUser();
    // The platform's file chooser for a boot file; false when cancelled.
    bool ChooseBootFile();
    int SwitchBaudRate();
    int Stream();
    bool SendBlock(std::string_view block);
    void WaitUntilReady();

    const FlashContext& ctx_;
    const std::string& prefix_;
    bool unattended_;
    std::unique_ptr<IOComm> port_;
    FlashDialogTexts texts_;
    // Interactive only, from before the port opens until the choice dialog takes it over.
    std::optional<FlashAskingDialog> asking_;
    std::string bootFilePath_;  // the name on disk; texts_.fileSelected is what the user sees
    BootFileReader bootFile_;
};

int FirmwareUpdate::CloseAndReport(std::string_view text, int eventCode) {
    CloseAskingDialog();
    port_->Close();
    ctx_.reporter.ReportError(std::string(text), eventCode);
    return 0;
}

int FirmwareUpdate::Run() {
    port_ = ctx_.makePort();
    int row = FindSetting(ctx_.model.settings, kFirmwareIdName);
    if (row < 0) {
        ctx_.reporter.ReportError(std::string(kNoFirmwareIdText), event::kModelOrMap);
        return 0;
    }
    texts_.firmwareId = ctx_.model.settings[row].text;
    if (!unattended_) asking_.emplace(ctx_.ui, texts_);

    std::string lineSettings = IsSerialLine(PortName()) ? std::string(kBootLoaderLineSettings) : std::string();
    if (!port_->Open(PortName(), lineSettings, SaveCommSetup::No)) return PortFailure();
    port_->SetHandshake(kHandshakeHardware);

    Drain();
    if (port_->GetPortType() == PortKind::Device) ctx_.clock.Sleep(kDeviceDrainPauseMs);
    Drain();

    switch (Query(cmd::kBootRevisionQuery, kQueryReplyPauseMs, texts_.bootLoaderRev)) {
    case QueryResult::SendFailed: return PortFailure();
    case QueryResult::NoReply: return CloseAndReport(kNotInBootModeText, event::kNotInBootMode);
    case QueryResult::Answered: break;
    }
    ShowAnswers();
    if (!unattended_ && Query(cmd::kFlashIdQuery, kQueryReplyPauseMs, texts_.flashId) != QueryResult::Answered)
        return PortFailure();
    ShowAnswers();
    if (Query(cmd::kBootFirmwareQuery, kFirmwareReplyPauseMs, texts_.firmwareRev) != QueryResult::Answered)
        return PortFailure();

    FindFile();
    // Without a matching file there is nothing to be up to date with.
    if (unattended_ && !texts_.fileRev.empty() && texts_.firmwareRev == texts_.fileRev)
        return LeaveBootMode(event::kFlashAlreadyCurrent);
    if (!unattended_) {
        int result = AskUser();
        if (result >= 0) return result;
    }

    if (!bootFile_.Open(bootFilePath_)) return CloseAndReport(kBootFileErrorText, event::kBootFile);
    if (IsSerialLine(PortName())) {
        int result = SwitchBaudRate();
        if (result >= 0) return result;
    }
    port_->SetHandshake(kHandshakeHardware);
    return Stream();
}

void FirmwareUpdate::Drain() {
    char byte = 0;
    for (size_t i = 0; i < kMaxDrainBytes; ++i)
        if (port_->Input(&byte, 1) == 0) return;
}

QueryResult FirmwareUpdate::Query(std::string_view command, int64_t replyPauseMs, std::string& text) {
    if (!port_->Output(command)) return QueryResult::SendFailed;
    port_->WaitOutput(kQueryOutputWaitMs);
    ctx_.clock.Sleep(replyPauseMs);
    char reply[kBootReplySize] = {};
    int got = port_->Input(reply, sizeof reply);
    if (got <= 0) return QueryResult::NoReply;
    text = BootReplyText(std::string_view(reply, static_cast<size_t>(got)));
    return QueryResult::Answered;
}

void FirmwareUpdate::FindFile() {
    std::optional<BootFileMatch> match = FindBootFileOnDisk(prefix_, texts_.firmwareId);
    if (!match) return;
    texts_.fileRev = BootFileRevision(match->name);
    texts_.fileSelected = JoinPath(match->folder, prefix_ + match->name);
    bootFilePath_ = match->Path(prefix_);
}

int FirmwareUpdate::LeaveBootMode(int eventCode) {
    if (!port_->Output(cmd::kExitBoot)) return PortFailure();
    ctx_.clock.Sleep(kExitBootPauseMs);
    ctx_.reporter.ShowStatus(std::string(kFlashUpdatedText), eventCode);
    return 1;
}

int FirmwareUpdate::AskUser() {
    if (asking_) asking_->HandOver();
    // A cancelled file chooser goes back to the dialog with the file it showed before.
    for (;;) {
        const FlashDialogTexts shown = texts_;
        const std::string shownPath = bootFilePath_;
        switch (ctx_.ui.ChooseFlashAction(texts_)) {
        case FlashChoice::Cancel: return 0;
        case FlashChoice::ExitBoot: return LeaveBootMode(event::kFlashBootExited);
        case FlashChoice::SelectFile:
            texts_.fileSelected.clear();
            bootFilePath_.clear();
            break;
        case FlashChoice::Flash: break;
        }
        if (!texts_.fileSelected.empty()) return -1;
        if (ChooseBootFile()) return -1;
        texts_ = shown;
        bootFilePath_ = shownPath;
    }
}

bool FirmwareUpdate::ChooseBootFile() {
    std::error_code ignored;
    std::string workingDirectory = std::filesystem::current_path(ignored).string();
    std::optional<std::string> chosen =
        ctx_.ui.ChooseOpenFile(std::string(kChooserTitle), QtFileFilter(kBootFileFilter), workingDirectory);
    if (!chosen || chosen->empty()) return false;
    texts_.fileSelected = *chosen;
    bootFilePath_ = *chosen;
    return true;
}

int FirmwareUpdate::SwitchBaudRate() {
    std::optional<FlashLine> line = ChooseFlashLine(texts_.bootLoaderRev, ctx_.model.flashBaud);
    if (!line)
        return CloseAndReport(std::string(kBadFlashBaudText) + ctx_.model.flashBaud, event::kModelOrMap);
    if (!port_->Output(cmd::BootBaudSwitch(line->rate))) return PortFailure();
    ctx_.clock.Sleep(kBaudSwitchPauseMs);
    port_->Close();
    ctx_.clock.Sleep(kBaudSwitchPauseMs);
    if (!port_->Open(PortName(), line->settings, SaveCommSetup::Yes)) return PortFailure();
    return -1;
}

int FirmwareUpdate::Stream() {
    // Unattended runs show no dialog, so the status line alone shows the progress.
    FlashProgress progress(ctx_.reporter, ctx_.clock, ctx_.ui, unattended_ ? nullptr : &texts_, bootFile_.Size());
    int64_t sent = 0;
    {
        SubstitutionOff unchanged(*port_);
        for (;;) {
            std::optional<std::string> block = bootFile_.ReadBlock(kStreamBlockSize);
            if (!block) return CloseAndReport(kBootFileErrorText, event::kBootFile);
            if (block->empty()) break;
            if (!SendBlock(*block)) return CloseAndReport(kStreamStalledText, event::kBootFile);
            sent += static_cast<int64_t>(block->size());
            progress.Update(sent);
        }
    }
    bootFile_.Close();
    int64_t restartMs = kRestartPauseMs;
    if (port_->GetPortType() == PortKind::Network) restartMs += kNetworkRestartPauseMs;
    progress.WaitForRestart(restartMs);
    port_->Close();
    ctx_.reporter.ShowStatus(std::string(kFlashUpdatedText), event::kFlashUpdated);
    return 1;
}

bool FirmwareUpdate::SendBlock(std::string_view block) {
    size_t done = 0;
    int64_t lastTakenMs = ctx_.clock.NowMs();
    for (;;) {
        WaitUntilReady();
        port_->Output(block.substr(done));
        size_t written = std::min<size_t>(port_->GetBytesWritten(), block.size() - done);
        done += written;
        if (done == block.size()) return true;
        if (written > 0) lastTakenMs = ctx_.clock.NowMs();
        if (ctx_.clock.NowMs() - lastTakenMs >= kStalledStreamMs) return false;
        ctx_.clock.Sleep(kResendPauseMs);
    }
}

void FirmwareUpdate::WaitUntilReady() {
    for (int pause = 0; pause < kReadyPauses; ++pause) {
        if (port_->IsReady()) return;
        ctx_.clock.Sleep(kReadyPauseMs);
    }
}

}  // namespace

int UpdateFirmware(const FlashContext& context, const std::string& prefix, bool unattended) {
    FirmwareUpdate update(context, prefix, unattended);
    return update.Run();
}

}  // namespace varnel
