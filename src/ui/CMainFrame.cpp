#include "ui/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <exception>

#include "app/CVarnelApp.h"
#include "app/EditCommentCommand.h"
#include "app/EditConfiguration.h"
#include "app/SelectPortCommand.h"
#include "app/StationDesk.h"
#include "base/ExitRequest.h"
#include "ui/CStationWnd.h"
#include "ui/CVarnelView.h"
#include "ui/GuiThread.h"
#include "ui/OperationStatus.h"
#include "ui/PrinterJob.h"
#include "ui/QtUserInterface.h"
#include "ui/ToolbarIcons.h"
#include "ui/UiText.h"

namespace varnel {

namespace {

constexpr int kInitialWidth = 920;
constexpr int kInitialHeight = 680;
constexpr int kEndWaitSliceMs = 10;

}  // namespace

CMainFrame::CMainFrame(CVarnelApp& app, QWidget* parent)
    : QMainWindow(parent), app_(app), stationProgram_(ThisProgramPath()) {
    view_ = new CVarnelView(this);
    setCentralWidget(view_);
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
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
    // An operation still running (the window goes with the run) stops at its next boundary; its
    // boxes still reach this thread meanwhile.
    if (job_) {
        job_->Cancel();
        while (job_ && !job_->Ended()) QCoreApplication::processEvents(QEventLoop::AllEvents, kEndWaitSliceMs);
        app_.SetOperationMonitor(nullptr);
        job_.reset();
    }
    app_.SetMainWindow(nullptr);
    if (auto* qtUi = dynamic_cast<QtUserInterface*>(&app_.ui())) {
        qtUi->SetOwner(nullptr);
        qtUi->SetStatusBar(nullptr);
    }
}

// ---- MainWindowPort

// A printer operation running beside the window calls these on its own thread; the window's
// thread carries them out, in order.

void CMainFrame::UpdateTitle(const std::string& title) {
    if (!OnGuiThread()) {
        QMetaObject::invokeMethod(this, [this, title] { UpdateTitle(title); }, Qt::QueuedConnection);
        return;
    }
    setWindowTitle(ToDisplayText(title));
}

void CMainFrame::SetFlashButtonVisible(bool visible) {
    if (!OnGuiThread()) {
        QMetaObject::invokeMethod(this, [this, visible] { SetFlashButtonVisible(visible); }, Qt::QueuedConnection);
        return;
    }
    flashAction_->setVisible(visible);
}

void CMainFrame::Invalidate() {
    if (!OnGuiThread()) {
        QMetaObject::invokeMethod(this, [this] { Invalidate(); }, Qt::QueuedConnection);
        return;
    }
    // A running command refreshes the view when it is done; otherwise once the caller is done.
    if (busy_ || refreshQueued_) return;
    refreshQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshQueued_ = false;
        RefreshView();
    });
}

void CMainFrame::RefreshView() { RunCommand(nullptr); }

void CMainFrame::ShowFirstDocument() {
    connect(view_->canvas(), &ConfigurationCanvas::Painted, this, &CMainFrame::RefreshView,
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
    view_->canvas()->update();
}

// ---- Commands

QAction* CMainFrame::Command(int id) const {
    auto found = commands_.find(id);
    return found == commands_.end() ? nullptr : found->second;
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const char* text, std::function<void()> handler) {
    // The text carries its shortcut after a tab; Qt shows that part as the shortcut column.
    auto* action = new QAction(QString::fromLatin1(text), this);
    action->setData(id);
    const bool enabled = static_cast<bool>(handler);
    if (enabled) handlers_[id] = std::move(handler);
    action->setEnabled(enabled);
    connect(action, &QAction::triggered, this, [this, id] { Trigger(id); });
    if (menu) menu->addAction(action);
    commands_[id] = action;
    return action;
}

QAction* CMainFrame::AddPrinterCommand(QMenu* menu, int id, const char* text, const char* operationName,
                                       Cancel cancel, std::function<void()> handler) {
    printerCommands_[id] = {QString::fromLatin1(operationName), cancel};
    return AddCommand(menu, id, text, std::move(handler));
}

void CMainFrame::Trigger(int id) {
    auto found = handlers_.find(id);
    if (found == handlers_.end()) return;
    if (job_) {
        // Beside a printer operation only what leaves printer, configuration and port alone runs;
        // everything else is greyed out, and a click that still arrives is dropped, not queued.
        if (WorksDuringOperation(id)) RunBesideOperation(found->second);
        return;
    }
    auto printer = printerCommands_.find(id);
    if (printer == printerCommands_.end()) return RunCommand(found->second);
    RunPrinterOperation(printer->second.first, printer->second.second, found->second);
}

bool CMainFrame::WorksDuringOperation(int id) {
    return id == kCmdViewToolbar || id == kCmdViewStatusBar || id == kCmdHelp || id == kCmdAbout ||
           id == kCmdAppExit;
}

void CMainFrame::RunBesideOperation(const std::function<void()>& command) {
    // The view keeps the snapshot it shows: the model belongs to the operation until it ends.
    try {
        command();
    } catch (const std::exception& error) {
        QMessageBox::warning(this, QStringLiteral("Varnel"), QString::fromLocal8Bit(error.what()));
    }
}

void CMainFrame::SetPrinterCommandsEnabled(bool enabled) {
    for (const auto& [id, action] : commands_) {
        if (WorksDuringOperation(id)) continue;
        action->setEnabled(enabled && handlers_.count(id) > 0);
    }
}

void CMainFrame::RunPrinterOperation(const QString& name, Cancel cancel, std::function<void()> operation) {
    if (busy_ || runEnded_) return;
    busy_ = true;
    SetPrinterCommandsEnabled(false);
    jobExitCode_.reset();
    jobFailure_.reset();
    // Runs on the operation's thread: nothing leaves it but through the members read once it ended.
    job_ = std::make_unique<PrinterJob>(
        [this, operation = std::move(operation)] {
            try {
                operation();
            } catch (const ExitRequest& request) {
                jobExitCode_ = request.exitCode;
            } catch (const std::exception& error) {
                jobFailure_ = error.what();
            }
        },
        this);
    connect(job_.get(), &PrinterJob::ProgressChanged, operationStatus_, &OperationStatus::ShowProgress);
    connect(job_.get(), &PrinterJob::Finished, this, &CMainFrame::PrinterOperationEnded);
    connect(operationStatus_, &OperationStatus::CancelClicked, job_.get(), &PrinterJob::Cancel);
    operationStatus_->Begin(name, cancel == Cancel::Offered ? OperationStatus::CancelButton::Offered
                                                              : OperationStatus::CancelButton::NotOffered);
    app_.SetOperationMonitor(job_.get());
    job_->Start();
}

void CMainFrame::PrinterOperationEnded() {
    app_.SetOperationMonitor(nullptr);
    disconnect(operationStatus_, &OperationStatus::CancelClicked, job_.get(), &PrinterJob::Cancel);
    // The job emitted the signal that brought us here; it goes once that is done.
    job_.release()->deleteLater();
    operationStatus_->End();
    busy_ = false;
    SetPrinterCommandsEnabled(true);
    if (jobExitCode_) return EndRun(*jobExitCode_);
    if (jobFailure_) app_.ReportError(*jobFailure_, 0);
    // The model is the window's again: the view shows what the operation left.
    RefreshView();
    OfferRememberedClose();
}

void CMainFrame::OfferRememberedClose() {
    // A close asked for while the printer worked is offered now, with the save question.
    if (!closeAsked_ || runEnded_) return;
    closeAsked_ = false;
    QTimer::singleShot(0, this, &QWidget::close);
}

void CMainFrame::CreateMenus() {
    CVarnelDoc& doc = app_.document();
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    AddCommand(file, kCmdFileNew, "&New\tCtrl+N", [&doc] { doc.New(); })->setShortcut(QKeySequence::New);
    AddCommand(file, kCmdFileOpen, "&Open...\tCtrl+O", [&doc] { doc.Open(); })->setShortcut(QKeySequence::Open);
    AddCommand(file, kCmdFileSave, "&Save\tCtrl+S", [&doc] { doc.Save(); })->setShortcut(QKeySequence::Save);
    AddCommand(file, kCmdFileSaveAs, "Save &As...", [&doc] { doc.SaveAs(); });
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
    AddPrinterCommand(printer, kCmdResetPrinter, "Reset Printer", "Resetting the printer", Cancel::NotOffered,
                      [this] { app_.RunResetPrinter(); });
    AddPrinterCommand(printer, kCmdDetectBaud, "Detect Printer Baud Rate", "Detecting the printer's baud rate",
                      Cancel::Offered, [this] { app_.RunDetectBaudRate(); });
    AddPrinterCommand(printer, kCmdSetupSerial, "Setup Serial Port...", "Setting up the serial port",
                      Cancel::NotOffered, [this] { app_.RunSetupSerialPort(); });
    AddCommand(printer, kCmdSelectPort, "Select Port...", [this] { SelectPort(app_); });
    AddCommand(printer, kCmdPrinterFiles, "Printer Files ...", [this] { app_.RunPrinterFiles(); });
    printer->addSeparator();
    AddCommand(printer, kCmdStation, "Station...", [this] { OpenStation(); });

    QMenu* configure = menuBar()->addMenu(QStringLiteral("&Configure"));
    AddCommand(configure, kCmdEditComment, "Edit Comment...", [this] { EditComment(app_); });
    AddCommand(configure, kCmdLoadMap, "Load Map File...", [&doc] { doc.LoadMap(); });
    configure->addSeparator();
    AddPrinterCommand(configure, kCmdReadConfig, "Read Configuration from Printer", "Reading the configuration",
                      Cancel::Offered, [this] { app_.RunReadConfiguration(); });
    AddCommand(configure, kCmdEditConfig, "Edit Configuration...", [this] { RunEditConfiguration(app_); });
    AddPrinterCommand(configure, kCmdWriteConfig, "Write Configuration to Printer", "Writing the configuration",
                      Cancel::Offered, [this] { app_.RunWriteConfiguration(); });
    AddPrinterCommand(configure, kCmdVerifyConfig, "Verify Configruation", "Verifying the configuration",
                      Cancel::Offered, [this] { app_.VerifyInWindow(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    AddCommand(help, kCmdHelp, "Using Varnel", [this] { app_.OpenHelpPage(); });
    AddCommand(help, kCmdAbout, "&About Varnel...", [this] { app_.ShowAbout(); });
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
    // A printer left half-flashed cannot start: the firmware stream has no Cancel.
    flashAction_ = AddPrinterCommand(nullptr, kCmdFlashFirmware, "Update Printer Firmware",
                                     "Updating the printer's firmware", Cancel::NotOffered,
                                     [this] { FlashFirmware(); });
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
    operationStatus_ = new OperationStatus(this);
    bar->addPermanentWidget(operationStatus_);
    capsLock_ = makeIndicator("CAP");
    numLock_ = makeIndicator("NUM");
    scrollLock_ = makeIndicator("SCRL");
    UpdateLockIndicators();
}

void CMainFrame::RunCommand(const std::function<void()>& command) {
    if (busy_ || runEnded_) return;
    busy_ = true;
    try {
        if (command) command();
        // What the command left in the model is prepared for the view here, never inside a
        // paint: finding the options file may report.
        if (!runEnded_) view_->Show(app_.PrepareViewSnapshot());
    } catch (const ExitRequest& request) {
        busy_ = false;
        EndRun(request.exitCode);
        return;
    } catch (const std::exception& error) {
        app_.ReportError(error.what(), 0);
    }
    busy_ = false;
    OfferRememberedClose();
}

void CMainFrame::EndRun(int exitCode) {
    runEnded_ = true;
    hide();
    QApplication::exit(exitCode);
}

void CMainFrame::FlashFirmware() {
    app_.RunFirmwareUpdate();
}

CStationWnd* CMainFrame::stationWindow() const { return station_; }

void CMainFrame::OpenStation() {
    // Owned by the main window, yet a window of its own that nothing else waits for.
    if (!station_) station_ = new CStationWnd(app_, stationProgram_, this);
    station_->show();
    station_->raise();
    station_->activateWindow();
}

// ---- Window events

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The window outlives a running printer operation: the close is remembered, said at once, and
    // offered when the operation ends. Printers at work at the station get their question next; a
    // modified configuration gets the save question last (Cancel keeps the window).
    if (!runEnded_ && (job_ || app_.PrinterOperationRunning())) {
        closeAsked_ = true;
        if (job_) operationStatus_->NoteCloseRemembered();
        event->ignore();
        return;
    }
    if (!runEnded_ && station_ && station_->Running() && !station_->close()) {
        event->ignore();
        return;
    }
    if (!runEnded_ && !app_.QueryExit()) {
        event->ignore();
        return;
    }
    event->accept();
    if (!runEnded_) EndRun(kExitOk);
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
