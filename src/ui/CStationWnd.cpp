#include "ui/CStationWnd.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/CVarnelApp.h"
#include "app/StationDesk.h"
#include "ui/UiText.h"

namespace varnel {
namespace {

constexpr int kInitialWidth = 980;
constexpr int kInitialHeight = 680;
constexpr int kLogWidth = 760;
constexpr int kLogHeight = 520;
constexpr int kElapsedTickMs = 500;
constexpr int kProgressSteps = 1000;
constexpr int kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;
constexpr const char* kCaption = "Station";
constexpr const char* kJobFilter = "Station jobs (*.job);;All files (*)";
constexpr const char* kRecordFilter = "Station records (*.jsonl);;All files (*)";
constexpr const char* kNewRunText = "readcfg exit";
const QColor kPassedColour(0, 128, 0);
const QColor kFailedColour(192, 0, 0);

QListWidgetItem* PortItem(const std::string& port, bool checked) {
    auto* item = new QListWidgetItem(ToDisplayText(port));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

QListWidgetItem* RunItem(const std::string& run) {
    auto* item = new QListWidgetItem(ToDisplayText(run));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    return item;
}

std::string PathText(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString ElapsedText(int64_t ms) {
    const int64_t seconds = ms / kMsPerSecond;
    return QStringLiteral("%1:%2").arg(seconds / kSecondsPerMinute).arg(seconds % kSecondsPerMinute, 2, 10, QLatin1Char('0'));
}

QString RunColumnText(const StationPrinter& printer) {
    switch (printer.status) {
    case PrinterStatus::Waiting: return QStringLiteral("waiting");
    case PrinterStatus::Running:
        return QStringLiteral("run %1 of %2: %3").arg(printer.run).arg(printer.runCount).arg(ToDisplayText(printer.action));
    case PrinterStatus::Passed:
    case PrinterStatus::Failed: return QStringLiteral("run %1 of %2").arg(printer.run).arg(printer.runCount);
    }
    return {};
}

QString ResultText(const StationPrinter& printer) {
    switch (printer.status) {
    case PrinterStatus::Waiting:
    case PrinterStatus::Running: return {};
    case PrinterStatus::Passed: return QStringLiteral("passed");
    case PrinterStatus::Failed: return QStringLiteral("failed: ") + ToDisplayText(printer.error);
    }
    return {};
}

QString PortsText(const std::vector<std::string>& ports) {
    QStringList shown;
    for (const std::string& port : ports) shown << ToDisplayText(port);
    return shown.join(QStringLiteral(", "));
}

}  // namespace

CStationWnd::CStationWnd(CVarnelApp& app, const std::string& program, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setWindowTitle(QString::fromLatin1(kCaption));
    setObjectName(QStringLiteral("StationWindow"));

    // Ports: the discovered ones with check boxes, and a box for those discovery cannot find.
    auto* portsGroup = new QGroupBox(QStringLiteral("Ports"), this);
    ports_ = new QListWidget(portsGroup);
    const StationPorts known = StationPortList(app);
    for (size_t index = 0; index < known.ports.size(); ++index)
        ports_->addItem(PortItem(known.ports[index], static_cast<int>(index) == known.current));
    portEdit_ = new QLineEdit(portsGroup);
    portEdit_->setPlaceholderText(QStringLiteral("address:port or device"));
    addPort_ = new QPushButton(QStringLiteral("&Add Port"), portsGroup);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(portEdit_, 1);
    portRow->addWidget(addPort_);
    auto* portsLayout = new QVBoxLayout(portsGroup);
    portsLayout->addWidget(ports_);
    portsLayout->addLayout(portRow);

    // Job: one varnel run a row, edited in place; it starts as the main window's configuration
    // file written, then verified.
    auto* jobGroup = new QGroupBox(QStringLiteral("Job"), this);
    runs_ = new QListWidget(jobGroup);
    for (const std::string& run : WriteThenVerifyRuns(app.model().configFilePath)) runs_->addItem(RunItem(run));
    addRun_ = new QPushButton(QStringLiteral("Add R&un"), jobGroup);
    removeRun_ = new QPushButton(QStringLiteral("&Remove Run"), jobGroup);
    loadJob_ = new QPushButton(QStringLiteral("&Load Job..."), jobGroup);
    saveJob_ = new QPushButton(QStringLiteral("Sa&ve Job..."), jobGroup);
    auto* jobButtons = new QHBoxLayout;
    for (QPushButton* button : {addRun_, removeRun_, loadJob_, saveJob_}) jobButtons->addWidget(button);
    jobButtons->addStretch();
    auto* jobLayout = new QVBoxLayout(jobGroup);
    jobLayout->addWidget(runs_);
    jobLayout->addLayout(jobButtons);

    auto* top = new QHBoxLayout;
    top->addWidget(portsGroup, 1);
    top->addWidget(jobGroup, 2);

    // The record file and the station's commands.
    record_ = new QLineEdit(this);
    record_->setReadOnly(true);
    record_->setPlaceholderText(QStringLiteral("none"));
    chooseRecord_ = new QPushButton(QStringLiteral("Record &File..."), this);
    watch_ = new QCheckBox(QStringLiteral("&Watch"), this);
    watch_->setToolTip(QStringLiteral("Stay open: a printer plugged in later gets the job"));
    start_ = new QPushButton(QStringLiteral("&Start"), this);
    stop_ = new QPushButton(QStringLiteral("S&top"), this);
    auto* commands = new QHBoxLayout;
    auto* recordLabel = new QLabel(QStringLiteral("Record:"), this);
    recordLabel->setBuddy(chooseRecord_);
    commands->addWidget(recordLabel);
    commands->addWidget(record_, 1);
    commands->addWidget(chooseRecord_);
    commands->addSpacing(16);
    commands->addWidget(watch_);
    commands->addWidget(start_);
    commands->addWidget(stop_);

    // One row per printer.
    rows_ = new QTreeWidget(this);
    rows_->setRootIsDecorated(false);
    rows_->setUniformRowHeights(true);
    rows_->setHeaderLabels({QStringLiteral("Port"), QStringLiteral("Firmware"), QStringLiteral("Run"),
                            QStringLiteral("Progress"), QStringLiteral("Elapsed"), QStringLiteral("Result")});
    rows_->header()->setStretchLastSection(true);
    rows_->setColumnWidth(kPortColumn, 150);
    rows_->setColumnWidth(kFirmwareColumn, 90);
    rows_->setColumnWidth(kRunColumn, 260);
    rows_->setColumnWidth(kProgressColumn, 120);
    rows_->setColumnWidth(kElapsedColumn, 60);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("summary"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(commands);
    layout->addWidget(rows_, 1);
    layout->addWidget(summary_);

    connect(addPort_, &QPushButton::clicked, this, &CStationWnd::AddTypedPort);
    connect(portEdit_, &QLineEdit::returnPressed, this, &CStationWnd::AddTypedPort);
    connect(addRun_, &QPushButton::clicked, this, &CStationWnd::AddRun);
    connect(removeRun_, &QPushButton::clicked, this, &CStationWnd::RemoveRun);
    connect(loadJob_, &QPushButton::clicked, this, &CStationWnd::LoadJob);
    connect(saveJob_, &QPushButton::clicked, this, &CStationWnd::SaveJob);
    connect(chooseRecord_, &QPushButton::clicked, this, &CStationWnd::ChooseRecord);
    connect(start_, &QPushButton::clicked, this, &CStationWnd::Start);
    connect(stop_, &QPushButton::clicked, this, &CStationWnd::AskAndStop);
    connect(rows_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row) { ShowLog(row); });

    elapsedTick_ = new QTimer(this);
    elapsedTick_->setInterval(kElapsedTickMs);
    connect(elapsedTick_, &QTimer::timeout, this, &CStationWnd::ShowElapsed);

    thread_ = new QThread(this);
    worker_ = new StationWorker(program, PathText(QDir::currentPath()), this, *this);
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_->start();

    EnableCommands();
    ShowSummary();
    resize(kInitialWidth, kInitialHeight);
}

CStationWnd::~CStationWnd() {
    // The worker ends every run as it goes, on its own thread, before the window does.
    thread_->quit();
    thread_->wait();
}

// ---- Ports and job

void CStationWnd::AddTypedPort() {
    const std::string port = FromDisplayText(portEdit_->text().trimmed());
    if (port.empty()) return;
    const QString shown = ToDisplayText(port);
    QList<QListWidgetItem*> same = ports_->findItems(shown, Qt::MatchExactly);
    if (same.isEmpty()) ports_->addItem(PortItem(port, true));
    else same.front()->setCheckState(Qt::Checked);
    portEdit_->clear();
    // A port added while the station runs joins it at once.
    if (running_) worker_->Call([port](StationWorker& worker) { worker.AddPort(port); });
}

void CStationWnd::AddRun() {
    QListWidgetItem* item = RunItem(kNewRunText);
    runs_->addItem(item);
    runs_->setCurrentItem(item);
    runs_->editItem(item);
}

void CStationWnd::RemoveRun() { delete runs_->currentItem(); }

void CStationWnd::LoadJob() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Load Job"), QDir::currentPath(),
                                                      QString::fromLatin1(kJobFilter));
    if (path.isEmpty()) return;
    std::string problem;
    std::optional<std::vector<std::string>> runs = LoadJobFile(PathText(path), problem);
    if (!runs) {
        ShowProblem(problem);
        return;
    }
    runs_->clear();
    for (const std::string& run : *runs) runs_->addItem(RunItem(run));
}

void CStationWnd::SaveJob() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Job"), QDir::currentPath(),
                                                      QString::fromLatin1(kJobFilter));
    if (path.isEmpty()) return;
    std::string problem;
    if (!SaveJobFile(PathText(path), RunTexts(), problem)) ShowProblem(problem);
}

void CStationWnd::ChooseRecord() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Record File"), QDir::currentPath(),
                                                      QString::fromLatin1(kRecordFilter),
                                                      nullptr, QFileDialog::DontConfirmOverwrite);
    // Cancel keeps the station without a record.
    recordPath_ = PathText(path);
    record_->setText(path);
}

std::vector<std::string> CStationWnd::RunTexts() const {
    std::vector<std::string> texts;
    for (int row = 0; row < runs_->count(); ++row) {
        const QString text = runs_->item(row)->text().trimmed();
        if (!text.isEmpty()) texts.push_back(FromDisplayText(text));
    }
    return texts;
}

std::vector<std::string> CStationWnd::CheckedPorts() const {
    std::vector<std::string> ports;
    for (int row = 0; row < ports_->count(); ++row)
        if (ports_->item(row)->checkState() == Qt::Checked) ports.push_back(FromDisplayText(ports_->item(row)->text()));
    return ports;
}

// ---- Running

void CStationWnd::Start() {
    if (running_) return;
    StationDeskStart start{RunTexts(), CheckedPorts(), recordPath_, watch_->isChecked()};
    rows_->clear();
    rowOf_.clear();
    printers_.clear();
    running_ = true;
    EnableCommands();
    ShowSummary();
    elapsedTick_->start();
    worker_->Call([start](StationWorker& worker) { worker.Start(start); });
}

bool CStationWnd::AskAndStop() {
    if (!running_) return true;
    const auto answer = QMessageBox::question(this, QString::fromLatin1(kCaption),
                                              QStringLiteral("Stop every printer's job now?"));
    if (answer != QMessageBox::Yes) return false;
    // The worker ends every run on its thread; the rows then say so, and Start comes back.
    worker_->Call([](StationWorker& worker) { worker.Stop(); });
    return true;
}

void CStationWnd::closeEvent(QCloseEvent* event) {
    if (running_) {
        const auto answer = QMessageBox::question(
            this, QString::fromLatin1(kCaption),
            QStringLiteral("Printers are still at work. Stop them and close the Station window?"));
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        worker_->Call([](StationWorker& worker) { worker.Stop(); });
    }
    event->accept();
}

void CStationWnd::ShowPrinter(const StationPrinter& printer) {
    printers_[printer.port] = printer;
    QTreeWidgetItem*& row = rowOf_[printer.port];
    if (!row) {
        row = new QTreeWidgetItem(rows_);
        auto* bar = new QProgressBar(rows_);
        bar->setRange(0, kProgressSteps);
        rows_->setItemWidget(row, kProgressColumn, bar);
    }
    QString port = ToDisplayText(printer.port);
    if (!printer.present) port += QStringLiteral(" (gone)");
    row->setText(kPortColumn, port);
    row->setText(kFirmwareColumn, ToDisplayText(printer.firmware));
    row->setText(kRunColumn, RunColumnText(printer));
    row->setText(kResultColumn, ResultText(printer));
    // A long first error is cut in the column; the whole of it shows on the row.
    row->setToolTip(kResultColumn, ResultText(printer));
    row->setForeground(kResultColumn, printer.status == PrinterStatus::Failed ? kFailedColour : kPassedColour);
    static_cast<QProgressBar*>(rows_->itemWidget(row, kProgressColumn))
        ->setValue(static_cast<int>(printer.Progress() * kProgressSteps));
    row->setText(kElapsedColumn, printer.status == PrinterStatus::Waiting
                                     ? QString()
                                     : ElapsedText(printer.ElapsedMs(clock_.NowMs())));
    ShowSummary();
}

void CStationWnd::ShowProblem(const std::string& text) {
    QMessageBox::warning(this, QString::fromLatin1(kCaption), ToDisplayText(text));
}

void CStationWnd::StationIdle() {
    running_ = false;
    elapsedTick_->stop();
    ShowElapsed();
    EnableCommands();
    ShowSummary();
}

void CStationWnd::ShowElapsed() {
    const int64_t now = clock_.NowMs();
    for (const auto& [port, printer] : printers_)
        if (printer.status != PrinterStatus::Waiting) rowOf_[port]->setText(kElapsedColumn, ElapsedText(printer.ElapsedMs(now)));
}

void CStationWnd::ShowSummary() {
    std::vector<std::string> passed;
    std::vector<std::string> failed;
    int atWork = 0;
    for (const auto& [port, printer] : printers_) {
        if (printer.status == PrinterStatus::Passed) passed.push_back(port);
        if (printer.status == PrinterStatus::Failed) failed.push_back(port);
        if (!printer.Ended()) ++atWork;
    }
    QString text = QStringLiteral("%1 printer(s): %2 passed, %3 failed").arg(printers_.size()).arg(passed.size()).arg(failed.size());
    if (atWork > 0) text += QStringLiteral(", %1 at work").arg(atWork);
    if (!passed.empty()) text += QStringLiteral(". Passed: ") + PortsText(passed);
    if (!failed.empty()) text += QStringLiteral(". Failed: ") + PortsText(failed);
    summary_->setText(text);
}

void CStationWnd::EnableCommands() {
    start_->setEnabled(!running_);
    stop_->setEnabled(running_);
    watch_->setEnabled(!running_);
    chooseRecord_->setEnabled(!running_);
    loadJob_->setEnabled(!running_);
}

void CStationWnd::ShowLog(QTreeWidgetItem* row) {
    for (const auto& [port, shown] : rowOf_) {
        if (shown != row) continue;
        auto* dialog = new QDialog(this);
        dialog->setObjectName(QStringLiteral("PrinterLog"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(QStringLiteral("Log of ") + ToDisplayText(port));
        auto* text = new QPlainTextEdit(dialog);
        text->setReadOnly(true);
        text->setPlainText(ToDisplayText(ReadPrinterLog(printers_[port].LogPath())));
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
        connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
        auto* layout = new QVBoxLayout(dialog);
        layout->addWidget(text);
        layout->addWidget(buttons);
        dialog->resize(kLogWidth, kLogHeight);
        dialog->show();
        return;
    }
}

}  // namespace varnel
