#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/MainWindowPort.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace varnel {

class CStationWnd;
class CVarnelApp;
class CVarnelView;
class OperationStatus;
class PrinterJob;

// Command ids of the menu and toolbar, as the printers' service staff know them.
enum CommandId : int {
    kCmdFileNew = 57600,
    kCmdFileOpen = 57601,
    kCmdFileSave = 32783,
    kCmdFileSaveAs = 32782,
    kCmdAppExit = 57665,
    kCmdViewToolbar = 59392,
    kCmdViewStatusBar = 59393,
    kCmdResetPrinter = 32777,
    kCmdDetectBaud = 32778,
    kCmdSetupSerial = 32779,
    kCmdSelectPort = 32780,
    kCmdPrinterFiles = 32795,
    kCmdEditComment = 32785,
    kCmdLoadMap = 32773,
    kCmdReadConfig = 32774,
    kCmdEditConfig = 32784,
    kCmdWriteConfig = 32775,
    kCmdVerifyConfig = 32771,
    kCmdHelp = 57670,
    kCmdAbout = 57664,
    kCmdFlashFirmware = 32792,
    kCmdStation = 32800,
};

// The main window: menu bar, toolbar, status bar and the configuration view. It shows and asks;
// every command hands over to the application object, and the view shows what the application
// prepared once the command is done.
class CMainFrame : public QMainWindow, public MainWindowPort {
    Q_OBJECT
public:
    explicit CMainFrame(CVarnelApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // MainWindowPort.
    void UpdateTitle(const std::string& title) override;
    void SetFlashButtonVisible(bool visible) override;
    // The view follows the model: at the end of the running command, or at once when none runs.
    void Invalidate() override;

    // The action of a command id (menu item or toolbar button); null for an unknown id.
    QAction* Command(int id) const;

    CVarnelView* view() const { return view_; }
    QToolBar* toolBar() const { return toolBar_; }
    // True while a command runs.
    bool busy() const { return busy_; }
    // The running printer operation in the status bar (hidden while none runs).
    OperationStatus* operationStatus() const { return operationStatus_; }
    // The Station window once Printer > Station... has opened it; null before.
    CStationWnd* stationWindow() const;
    // The varnel the station's runs start; by default this program.
    void SetStationProgram(std::string program) { stationProgram_ = std::move(program); }

    // Shows what the application prepares of the configuration now.
    void RefreshView();
    // Shows the first document once the window has painted: a report its preparation raises
    // then comes over a drawn window.
    void ShowFirstDocument();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    QAction* AddCommand(QMenu* menu, int id, const char* text, std::function<void()> handler);
    // A command that talks to the printer: it runs beside the window as a printer operation.
    enum class Cancel { Offered, NotOffered };
    QAction* AddPrinterCommand(QMenu* menu, int id, const char* text, const char* operationName, Cancel cancel,
                               std::function<void()> handler);
    // Starts a printer operation beside the window; every command that would touch the printer,
    // the configuration or the port is greyed out until it ends.
    void RunPrinterOperation(const QString& name, Cancel cancel, std::function<void()> operation);
    // A menu item or toolbar button was triggered.
    void Trigger(int id);
    // Runs a command while a printer operation runs, without touching the model.
    void RunBesideOperation(const std::function<void()>& command);
    // Closes the window now when the user asked for it while a printer operation ran.
    void OfferRememberedClose();
    // On the window's thread, once the operation's thread has ended.
    void PrinterOperationEnded();
    // Grey out (or back) every command but those that leave printer, configuration and port alone.
    void SetPrinterCommandsEnabled(bool enabled);
    // Those commands work while a printer operation runs.
    static bool WorksDuringOperation(int id);
    // Runs a command (none: only the view's refresh): no exception leaves a Qt handler; a process
    // end asked for by an action ends the event loop with its code. Afterwards the view shows
    // what the command left in the model.
    void RunCommand(const std::function<void()>& command);
    // Ends the event loop with `exitCode`; the application's shutdown follows.
    void EndRun(int exitCode);
    void FlashFirmware();
    // Shows the Station window, made at its first use; it stays, with its rows, once closed.
    void OpenStation();
    void UpdateLockIndicators();

    CVarnelApp& app_;
    CVarnelView* view_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QAction* flashAction_ = nullptr;
    QLabel* capsLock_ = nullptr;
    QLabel* numLock_ = nullptr;
    QLabel* scrollLock_ = nullptr;
    QPointer<CStationWnd> station_;
    std::string stationProgram_;
    std::map<int, QAction*> commands_;
    std::map<int, std::function<void()>> handlers_;
    OperationStatus* operationStatus_ = nullptr;
    // The printer commands: the operation's name in the status bar and whether it can be cancelled.
    std::map<int, std::pair<QString, Cancel>> printerCommands_;
    std::unique_ptr<PrinterJob> job_;
    // How the operation's thread ended: an end of the run it asked for, or an exception's text.
    std::optional<int> jobExitCode_;
    std::optional<std::string> jobFailure_;
    bool busy_ = false;
    bool refreshQueued_ = false;
    bool runEnded_ = false;
    // The window was asked to close while a printer operation ran.
    bool closeAsked_ = false;
};

}  // namespace varnel
