#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "base/UserInterface.h"

namespace varnel {

class CFlashDlg;

// The user interface with a display: Qt message boxes and file dialogs. Boxes have no owner
// until the main window exists; the main window then makes itself their owner and hands over
// its status bar, which from then on shows the status texts.
class QtUserInterface : public UserInterface {
public:
    QtUserInterface() = default;

    // Set by the main window when it is created; nullptrs when it goes.
    void SetOwner(QWidget* owner) { owner_ = owner; }
    void SetStatusBar(QStatusBar* statusBar) { statusBar_ = statusBar; }

    int MessageBox(const std::string& caption, const std::string& text) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    SaveAnswer AskSaveChanges(const std::string& caption, const std::string& text) override;
    bool SetStatusText(const std::string& text) override;
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& directory) override;
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string& directory) override;

    // Configuration edit dialog
    bool EditConfiguration(EditPages& pages) override;
    bool OpenHelpPage(const std::string& path, const std::string& anchor) override;

    // Verification result dialog
    void ShowVerificationResult(const std::vector<VerificationRow>& rows) override;

    // Printer file manager
    bool ShowPrinterFiles(const PrinterFilesOpener& open) override;

    // About box
    void ShowAboutBox() override;

private:
    // A repaint the window is waiting for is done before a box covers it.
    void PaintOwner();
    // A plain-text box with its caption, text and buttons, the owner painted first.
    void PrepareBox(QMessageBox& box, const std::string& caption, const std::string& text,
                    QMessageBox::StandardButtons buttons);

    // Guarded pointers: a window that closes leaves no dangling owner.
    QPointer<QWidget> owner_;
    QPointer<QStatusBar> statusBar_;

public:
    // Port, comment and firmware dialogs
    ~QtUserInterface() override;
    QtUserInterface(const QtUserInterface&) = delete;
    QtUserInterface& operator=(const QtUserInterface&) = delete;
    std::optional<std::string> SelectPort(PortDialogModel& choice) override;
    std::optional<std::string> EditComment(const std::string& comment, size_t maxLength) override;
    FlashChoice ChooseFlashAction(const FlashDialogTexts& texts) override;
    void ShowFlashProgress(const FlashDialogTexts& texts, const FlashProgressView& progress) override;
    std::optional<SerialLineSettings> EditSerialLine(const std::string& portName,
                                                     const SerialLineSettings& current) override;

private:
    // These dialogs open over the dialog running at the time (the file manager's "Comm Port"),
    // else over the owner.
    QWidget* DialogOwner() const;

    // The firmware dialog while an update streams; it lives from the first progress to the last.
    QPointer<CFlashDlg> flashProgress_;
};

}  // namespace varnel
