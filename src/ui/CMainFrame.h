#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <string>

#include "app/MainWindowPort.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace varnel {

class CStationWnd;
class CVarnelApp;
class CVarnelView;

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
    bool busy_ = false;
    bool refreshQueued_ = false;
    bool runEnded_ = false;
    // The window was asked to close while a printer operation ran.
    bool closeAsked_ = false;
};

}  // namespace varnel
