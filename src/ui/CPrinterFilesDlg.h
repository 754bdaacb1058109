#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include <memory>

#include "base/PrinterFilesCommands.h"

class QListWidget;
class QProgressBar;
class QPushButton;
class QTimerEvent;
class QWidget;

namespace varnel {

class CVarnelApp;

// "Files in printer": the printer's files in a list that takes files dropped from the desktop,
// and the buttons of the file manager. The widgets only show and ask; the file manager's
// commands do the work.
class CPrinterFilesDlg : public QDialog, public PrinterFilesView {
    Q_OBJECT

public:
    // Control ids.
    static constexpr int kIdDone = 1;
    static constexpr int kIdCancel = 2;  // Cancel of a running upload or Read / Save to Disk
    static constexpr int kIdList = 1066;
    static constexpr int kIdDelete = 1067;
    static constexpr int kIdDeleteAll = 1068;
    static constexpr int kIdRefresh = 1069;
    static constexpr int kIdCommPort = 1070;
    static constexpr int kIdProgress = 1071;
    static constexpr int kIdSaveToDisk = 1072;
    static constexpr int kIdResetPrinter = 1073;
    static constexpr int kIdUpload = 1074;

    // `open` makes the commands on this dialog; "Comm Port" is enabled when they can select a port.
    explicit CPrinterFilesDlg(const PrinterFilesOpener& open, QWidget* parent = nullptr);
    ~CPrinterFilesDlg() override;

    QListWidget* List() const { return list_; }
    // The list's entries with the bytes the printer sent.
    std::vector<std::string> Entries() const;
    QProgressBar* Progress() const { return progress_; }
    QPushButton* Button(int controlId) const;
    QPushButton* CancelButton() const { return cancel_; }
    // Uploads local files as a drop on the list does; while another operation runs, once it is over.
    void DropFiles(const std::vector<std::string>& paths);

    // PrinterFilesView.
    void SetTabStops(const std::vector<int>& stops) override;
    void ClearList() override;
    void AddEntry(const std::string& entry) override;
    std::vector<std::string> SelectedEntries() const override;
    void SetProgressRange(int low, int high) override;
    void SetProgress(int position) override;
    void OfferCancel(bool offered) override;
    bool CancelRequested() override;
    void SetCaption(const std::string& caption) override;
    void Repaint() override;
    void ScheduleRefresh() override;
    void PumpMessages() override;
    void MessageBox(const std::string& caption, const std::string& text) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    std::vector<std::string> ChooseFilesToUpload() override;

    // Escape and the window's close: while an operation runs they ask a transfer to stop and
    // close the dialog once the operation is over, never under it.
    void reject() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    QPushButton* AddButton(int controlId, const QString& caption);
    // Runs one operation with the buttons held, so a click handled while it pumps messages
    // cannot start a second one inside it.
    void RunOperation(const std::function<void()>& operation);
    // Closes the dialog when a close was asked while an operation ran and none runs now.
    void CloseIfAsked();

    std::unique_ptr<PrinterFilesCommands> manager_;
    QListWidget* list_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool cancelRequested_ = false;
    bool closeAsked_ = false;
    std::vector<std::pair<int, QPushButton*>> buttons_;
    int refreshTimer_ = 0;
    bool busy_ = false;
    // Where the upload chooser opens: the current folder, then the folder last chosen from.
    QString uploadFolder_;
};

// The file manager as the application opens it: modal, the main window hidden while it runs and
// shown again when it closes; "Comm Port" runs `selectPort`.
void RunPrinterFilesDialog(const PrinterFilesOpener& open);

}  // namespace varnel
