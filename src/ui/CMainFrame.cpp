#include "ui/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <exception>
#include <optional>

#include "app/CVarnelApp.h"
#include "app/EditCommentCommand.h"
#include "app/FlashActions.h"
#include "app/SelectPortCommand.h"
#include "base/ExitRequest.h"
#include "flash/FileDialogFilter.h"
#include "model/ConfigFileReader.h"
#include "model/ConfigFileWriter.h"
#include "model/MapFile.h"
#include "protocol/PortCommands.h"
#include "protocol/ProtocolContext.h"
#include "ui/CAboutDlg.h"
#include "app/EditConfiguration.h"
#include "ui/CVarnelView.h"
#include "ui/Help.h"
#include "ui/QtUserInterface.h"
#include "ui/ToolbarIcons.h"
#include "ui/UiText.h"

namespace varnel {

namespace {

constexpr int kInitialWidth = 920;
constexpr int kInitialHeight = 680;
constexpr const char* kOpenTitle = "Open";
constexpr const char* kSaveAsTitle = "Save As";

bool HasConfigEnding(const std::string& path) {
    return path.find(".cfg") != std::string::npos || path.find(".CFG") != std::string::npos;
}

}  // namespace

CMainFrame::CMainFrame(CVarnelApp& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    view_ = new CVarnelView(app_, [this] { return busy_; }, this);
    setCentralWidget(view_);
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    ConnectDialogCommands();
    setWindowIcon(ToolbarIcon(ToolbarImage::App));
    resize(kInitialWidth, kInitialHeight);

    // From now on the window owns the message boxes and shows the status texts.
    if (auto* qtUi = dynamic_cast<QtUserInterface*>(&app_.ui())) {
        qtUi->SetOwner(this);
        qtUi->SetStatusBar(statusBar());
    }
    qApp->installEventFilter(this);
    app_.SetMainWindow(this);
}

CMainFrame::~CMainFrame() {
    app_.SetMainWindow(nullptr);
    if (auto* qtUi = dynamic_cast<QtUserInterface*>(&app_.ui())) {
        qtUi->SetOwner(nullptr);
        qtUi->SetStatusBar(nullptr);
    }
}

// ---- MainWindowPort

void CMainFrame::UpdateTitle(const std::string& title) { setWindowTitle(ToDisplayText(title)); }

void CMainFrame::SetFlashButtonVisible(bool visible) { flashAction_->setVisible(visible); }

void CMainFrame::Invalidate() { view_->Invalidate(); }

// ---- Commands

QAction* CMainFrame::Command(int id) const {
    auto found = commands_.find(id);
    return found == commands_.end() ? nullptr : found->second;
}

void CMainFrame::EnableCommand(int id, std::function<void()> handler) {
    QAction* action = Command(id);
    if (!action) return;
    handlers_[id] = std::move(handler);
    action->setEnabled(true);
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const char* text, std::function<void()> handler) {
    // The text carries its shortcut after a tab; Qt shows that part as the shortcut column.
    auto* action = new QAction(QString::fromLatin1(text), this);
    action->setData(id);
    const bool enabled = static_cast<bool>(handler);
    if (enabled) handlers_[id] = std::move(handler);
    action->setEnabled(enabled);
    connect(action, &QAction::triggered, this, [this, id] {
        auto found = handlers_.find(id);
        if (found != handlers_.end()) RunCommand(found->second);
    });
    if (menu) menu->addAction(action);
    commands_[id] = action;
    return action;
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    AddCommand(file, kCmdFileNew, "&New\tCtrl+N", [this] { FileNew(); })->setShortcut(QKeySequence::New);
    AddCommand(file, kCmdFileOpen, "&Open...\tCtrl+O", [this] { FileOpen(); })->setShortcut(QKeySequence::Open);
    AddCommand(file, kCmdFileSave, "&Save\tCtrl+S", [this] { FileSave(); })->setShortcut(QKeySequence::Save);
    AddCommand(file, kCmdFileSaveAs, "Save &As...", [this] { FileSaveAs(); });
    file->addSeparator();
    AddCommand(file, kCmdAppExit, "E&xit", [this] { close(); });

    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    QAction* toolbarItem = AddCommand(viewMenu, kCmdViewToolbar, "&Toolbar", [this] {
        toolBar_->setVisible(!toolBar_->isVisible());
    });
    QAction* statusItem = AddCommand(viewMenu, kCmdViewStatusBar, "&Status Bar", [this] {
        statusBar()->setVisible(!statusBar()->isVisible());
    });
    toolbarItem->setCheckable(true);
    toolbarItem->setChecked(true);
    statusItem->setCheckable(true);
    statusItem->setChecked(true);

    QMenu* printer = menuBar()->addMenu(QStringLiteral("&Printer"));
    AddCommand(printer, kCmdResetPrinter, "Reset Printer", [this] { app_.CmdReset(); });
    AddCommand(printer, kCmdDetectBaud, "Detect Printer Baud Rate", [this] { DetectBaudRate(); });
    AddCommand(printer, kCmdSetupSerial, "Setup Serial Port...", [this] { app_.CmdPortSetup(""); });
    AddCommand(printer, kCmdSelectPort, "Select Port...", nullptr);
    AddCommand(printer, kCmdPrinterFiles, "Printer Files ...", nullptr);

    QMenu* configure = menuBar()->addMenu(QStringLiteral("&Configure"));
    AddCommand(configure, kCmdEditComment, "Edit Comment...", nullptr);
    AddCommand(configure, kCmdLoadMap, "Load Map File...", [this] { LoadMap(); });
    configure->addSeparator();
    AddCommand(configure, kCmdReadConfig, "Read Configuration from Printer", [this] { app_.CmdReadCfg(); });
    AddCommand(configure, kCmdEditConfig, "Edit Configuration...", nullptr);
    AddCommand(configure, kCmdWriteConfig, "Write Configuration to Printer", [this] { app_.CmdWriteCfg(); });
    AddCommand(configure, kCmdVerifyConfig, "Verify Configruation", [this] { app_.VerifyInWindow(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    AddCommand(help, kCmdHelp, "Using Varnel", [this] { OpenHelpPage(); });
    AddCommand(help, kCmdAbout, "&About Varnel...", nullptr);
}

void CMainFrame::CreateToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("Toolbar"));
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);

    const std::pair<int, ToolbarImage> buttons[] = {
        {kCmdFileNew, ToolbarImage::New},           {kCmdFileOpen, ToolbarImage::Open},
        {kCmdFileSave, ToolbarImage::Save},         {0, ToolbarImage::New},
        {kCmdReadConfig, ToolbarImage::ReadConfig}, {kCmdEditConfig, ToolbarImage::EditConfig},
        {kCmdWriteConfig, ToolbarImage::WriteConfig}, {kCmdVerifyConfig, ToolbarImage::Verify},
        {kCmdSelectPort, ToolbarImage::SelectPort}, {kCmdHelp, ToolbarImage::Help},
    };
    for (const auto& [id, image] : buttons) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* action = Command(id);
        action->setIcon(ToolbarIcon(image));
        toolBar_->addAction(action);
    }
    toolBar_->addSeparator();
    // The firmware-flash button has no menu item; the configuration shows and hides it.
    flashAction_ = AddCommand(nullptr, kCmdFlashFirmware, "Update Printer Firmware", [this] { FlashFirmware(); });
    flashAction_->setIcon(ToolbarIcon(ToolbarImage::Flash));
    toolBar_->addAction(flashAction_);
    toolBar_->addSeparator();
    flashAction_->setVisible(false);

    // Hiding the toolbar by any means (its own context menu included) keeps the menu item right.
    connect(toolBar_, &QToolBar::visibilityChanged, Command(kCmdViewToolbar), &QAction::setChecked);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    auto makeIndicator = [this, bar](const char* text) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(label->text()) + 8);
        bar->addPermanentWidget(label);
        return label;
    };
    capsLock_ = makeIndicator("CAP");
    numLock_ = makeIndicator("NUM");
    scrollLock_ = makeIndicator("SCRL");
    UpdateLockIndicators();
}

// Runs the commands whose dialogs live in their own files.
void CMainFrame::ConnectDialogCommands() {
    // These commands start out disabled; each is enabled here with the dialog that runs it.
    EnableCommand(kCmdPrinterFiles, [this] { app_.ShowPrinterFiles(); });
    EnableCommand(kCmdSelectPort, [this] { SelectPort(app_); });
    EnableCommand(kCmdEditComment, [this] { EditComment(app_); });
    EnableCommand(kCmdEditConfig, [this] { RunEditConfiguration(app_); });
    EnableCommand(kCmdAbout, [this] {
        CAboutDlg about(this);
        about.exec();
    });
}

void CMainFrame::RunCommand(const std::function<void()>& command) {
    if (busy_) return;
    busy_ = true;
    try {
        command();
    } catch (const ExitRequest& request) {
        busy_ = false;
        QApplication::exit(request.exitCode);
        return;
    } catch (const std::exception& error) {
        app_.ReportError(error.what(), 0);
    }
    busy_ = false;
    // What the view skipped while the command ran is drawn now.
    view_->Invalidate();
}

void CMainFrame::AskToSaveChanges() {
    if (!app_.model().modified) return;
    const std::string question = "File: " + app_.model().configFilePath + " has changed. Save it to disk now?";
    if (app_.ui().AskYesNo("", question)) FileSaveAs();
}

void CMainFrame::FileNew() {
    AskToSaveChanges();
    const bool clears = !app_.model().keepSettingsOnNew;
    app_.NewDocument();
    // An emptied configuration has nothing left to save.
    if (clears) app_.model().modified = false;
}

void CMainFrame::FileOpen() {
    AskToSaveChanges();
    const std::optional<std::string> path =
        app_.ui().ChooseOpenFile(kOpenTitle, QtFileFilter(kConfigFileFilter), app_.model().configFilePath);
    if (!path) return;
    ReadConfigurationFile(app_.model(), *path, app_, app_);
    app_.UpdateTitle();
}

void CMainFrame::FileSave() {
    ConfigModel& model = app_.model();
    if (model.configFilePath.empty()) {
        FileSaveAs();
        return;
    }
    if (WriteConfigurationFile(model, model.configFilePath, app_)) model.modified = false;
}

void CMainFrame::FileSaveAs() {
    ConfigModel& model = app_.model();
    // The save dialog asks itself before an existing file is replaced.
    const std::optional<std::string> path =
        app_.ui().ChooseSaveFile(kSaveAsTitle, QtFileFilter(kConfigFileFilter), model.configFilePath);
    if (!path || path->empty()) return;
    model.configFilePath = *path;
    if (!HasConfigEnding(model.configFilePath)) model.configFilePath += ".cfg";
    if (WriteConfigurationFile(model, model.configFilePath, app_)) model.modified = false;
    app_.UpdateTitle();
}

void CMainFrame::LoadMap() {
    const std::optional<std::string> path =
        app_.ui().ChooseOpenFile(kOpenTitle, QtFileFilter(kMapFileFilter), app_.model().mapFilePath);
    if (!path) return;
    LoadMapFile(app_.model(), *path, false, app_);
}

void CMainFrame::DetectBaudRate() {
    ProtocolContext context = app_.Context();
    RunBaudRateDetection(context);
}

void CMainFrame::FlashFirmware() {
    FlashFirmwareInteractive(app_);
}

void CMainFrame::OpenHelpPage() {
    // A failed start of the browser is not reported.
    varnel::OpenHelpPage(app_.model().startDirectory);
}

// ---- Window events

void CMainFrame::closeEvent(QCloseEvent* event) {
    // A running printer operation lets paint events through; the window must outlive it.
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // Each key passes the top-level window once on its way to the focused widget.
    if (event->type() == QEvent::KeyRelease && watched->isWindowType()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) {
            auto toggle = [](QLabel* label) { label->setEnabled(!label->isEnabled()); };
            if (key == Qt::Key_CapsLock) toggle(capsLock_);
            if (key == Qt::Key_NumLock) toggle(numLock_);
            if (key == Qt::Key_ScrollLock) toggle(scrollLock_);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::UpdateLockIndicators() {
    // Qt does not say which lock keys are on; the indicators start off and follow the lock keys
    // pressed while the program runs.
    capsLock_->setEnabled(false);
    numLock_->setEnabled(false);
    scrollLock_->setEnabled(false);
}

}  // namespace varnel
