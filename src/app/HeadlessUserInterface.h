#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "base/UserInterface.h"

namespace varnel {

// The user interface of a run without a display. Message boxes are written to standard error and
// count as OK; questions are answered No; dialogs count as cancelled and no help page opens. Status texts form one line
// on a terminal that rewrites itself, and nothing at all when standard error is not a terminal.
class HeadlessUserInterface : public UserInterface {
public:
    // `unansweredDisplay` names a display that was set but did not answer; empty when none was set.
    explicit HeadlessUserInterface(int fd = STDERR_FILENO, std::string unansweredDisplay = {});
    // Ends a pending status line so the shell prompt starts on a fresh line.
    ~HeadlessUserInterface() override;
    HeadlessUserInterface(const HeadlessUserInterface&) = delete;
    HeadlessUserInterface& operator=(const HeadlessUserInterface&) = delete;

    int MessageBox(const std::string& caption, const std::string& text) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    SaveAnswer AskSaveChanges(const std::string& caption, const std::string& text) override;
    bool SetStatusText(const std::string& text) override;
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& directory) override;
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string& directory) override;

    // Port, comment and firmware dialogs
    std::optional<std::string> SelectPort(PortDialogModel& choice) override;
    std::optional<std::string> EditComment(const std::string& comment, size_t maxLength) override;
    FlashChoice ChooseFlashAction(const FlashDialogTexts& texts) override;
    // Never reached headless (the firmware dialog counts as cancelled, no stream follows it);
    // an unattended stream shows on the status line.
    void ShowFlashProgress(const FlashDialogTexts& texts, const FlashProgressView& progress) override;
    std::optional<SerialLineSettings> EditSerialLine(const std::string& portName,
                                                     const SerialLineSettings& current) override;

    // Configuration edit dialog
    bool EditConfiguration(EditPages& pages) override;
    bool OpenHelpPage(const std::string& path, const std::string& anchor) override;

    // Verification result dialog
    // Written as the tab-separated table.
    void ShowVerificationResult(const std::vector<VerificationRow>& rows) override;

    // Printer file manager: says that it needs a display.
    bool ShowPrinterFiles(const PrinterFilesOpener& open) override;

    // About box
    void ShowAboutBox() override;

    // Writes a line of its own (after ending a pending status line).
    void WriteLine(std::string_view text);
    // Moves to a fresh line if a status line is showing.
    void EndStatusLine();
    // Why a window cannot open, naming the display that did not answer, followed by `consequence`.
    std::string NoDisplayText(std::string_view consequence) const;

private:
    void Write(std::string_view bytes);

    int fd_;
    std::string unansweredDisplay_;
    bool terminal_;
    bool statusLineShown_ = false;
};

}  // namespace varnel
