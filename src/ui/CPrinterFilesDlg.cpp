#include "ui/CPrinterFilesDlg.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTimerEvent>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/UiText.h"

namespace varnel {
namespace {

constexpr int kEntryBytesRole = Qt::UserRole;
// How soon a drop that came while the printer was busy is tried again.
constexpr int kBusyDropRetryMs = 50;
constexpr const char* kUploadChooserTitle = "Upload file(s) to printer";
constexpr const char* kUploadChooserFilter = "All Files (*)";
constexpr int kDialogUnitsPerChar = 4;
constexpr int kExtraStopDialogUnits = 10;

// The list takes local files dropped from the desktop's file manager and hands over their paths.
class FileDropList : public QListWidget {
public:
    explicit FileDropList(std::function<void(const std::vector<std::string>&)> onDrop, QWidget* parent)
        : QListWidget(parent), onDrop_(std::move(onDrop)) {
        setAcceptDrops(true);
        setDragDropMode(QAbstractItemView::DropOnly);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (HasLocalFiles(event->mimeData())) event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (HasLocalFiles(event->mimeData())) event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override {
        std::vector<std::string> paths;
        for (const QUrl& url : event->mimeData()->urls())
            if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
        if (paths.empty()) return;
        event->acceptProposedAction();
        // The upload runs once the drop is over, so the desktop's file manager is not kept
        // waiting for the end of the drag while the printer takes the files.
        QTimer::singleShot(0, this, [this, paths] { onDrop_(paths); });
    }

private:
    static bool HasLocalFiles(const QMimeData* mime) {
        if (!mime->hasUrls()) return false;
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile()) return true;
        return false;
    }

    std::function<void(const std::vector<std::string>&)> onDrop_;
};

// Draws an entry's tab-separated columns at the list's tab stops.
class TabStopDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void SetStops(std::vector<int> stops) { stops_ = std::move(stops); }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        QWidget* widget = const_cast<QWidget*>(option.widget);
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, widget);

        const QStringList columns = index.data(Qt::DisplayRole).toString().split(QLatin1Char('\t'));
        const int unit = option.fontMetrics.averageCharWidth();
        QRect area = option.rect.adjusted(2, 0, 0, 0);
        painter->save();
        painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                   : QPalette::Text));
        for (int i = 0; i < columns.size(); ++i) {
            int x = i == 0 ? 0 : ColumnStart(i - 1, unit);
            painter->drawText(area.adjusted(x, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, columns[i]);
        }
        painter->restore();
    }

private:
    // A column past the last stop starts one stop width further on.
    int ColumnStart(int stop, int unit) const {
        if (stops_.empty()) return 0;
        const int count = static_cast<int>(stops_.size());
        int dialogUnits = stop < count ? stops_[stop] : stops_.back() + (stop + 1 - count) * kExtraStopDialogUnits;
        return dialogUnits * unit / kDialogUnitsPerChar;
    }

    std::vector<int> stops_;
};

}  // namespace

CPrinterFilesDlg::CPrinterFilesDlg(const PrinterFilesOpener& open, QWidget* parent)
    : QDialog(parent), manager_(open(*this)) {
    setObjectName(QStringLiteral("Files in printer"));
    setModal(true);

    auto* hint = new QLabel(QStringLiteral("Drag file(s) to window below to transfer to printer."), this);
    list_ = new FileDropList([this](const std::vector<std::string>& paths) { DropFiles(paths); }, this);
    list_->setObjectName(QString::number(kIdList));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setItemDelegate(new TabStopDelegate(list_));
    list_->setMinimumSize(420, 220);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QString::number(kIdProgress));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QString::number(kIdCancel));
    cancel_->setAutoDefault(false);
    cancel_->setEnabled(false);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancelRequested_ = true;
        cancel_->setEnabled(false);
    });

    auto* column = new QVBoxLayout;
    AddButton(kIdDone, QStringLiteral("Done"));
    AddButton(kIdDelete, QStringLiteral("Delete"));
    AddButton(kIdDeleteAll, QStringLiteral("Delete All"));
    AddButton(kIdRefresh, QStringLiteral("Refresh List"));
    AddButton(kIdUpload, QStringLiteral("Upload..."));
    AddButton(kIdSaveToDisk, QStringLiteral("Read / Save to\nDisk"));
    AddButton(kIdResetPrinter, QStringLiteral("Reset Printer"));
    AddButton(kIdCommPort, QStringLiteral("Comm Port"));
    for (const auto& [id, button] : buttons_) column->addWidget(button);
    column->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(hint);
    left->addWidget(list_, 1);
    auto* bar = new QHBoxLayout;
    bar->addWidget(progress_, 1);
    bar->addWidget(cancel_);
    left->addLayout(bar);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(column);

    Button(kIdDone)->setDefault(true);
    Button(kIdCommPort)->setEnabled(manager_->CanSelectPort());
    connect(Button(kIdDone), &QPushButton::clicked, this, &QDialog::accept);
    connect(Button(kIdDelete), &QPushButton::clicked, this, [this] { RunOperation([this] { manager_->Delete(); }); });
    connect(Button(kIdDeleteAll), &QPushButton::clicked, this,
            [this] { RunOperation([this] { manager_->DeleteAll(); }); });
    connect(Button(kIdRefresh), &QPushButton::clicked, this, [this] { manager_->ScheduleRefresh(); });
    connect(Button(kIdUpload), &QPushButton::clicked, this,
            [this] { RunOperation([this] { manager_->UploadChosen(); }); });
    connect(Button(kIdSaveToDisk), &QPushButton::clicked, this,
            [this] { RunOperation([this] { manager_->SaveToDisk(); }); });
    connect(Button(kIdResetPrinter), &QPushButton::clicked, this,
            [this] { RunOperation([this] { manager_->ResetPrinter(); }); });
    connect(Button(kIdCommPort), &QPushButton::clicked, this,
            [this] { RunOperation([this] { manager_->CommPort(); }); });

    manager_->Initialise();
}

CPrinterFilesDlg::~CPrinterFilesDlg() {
    if (refreshTimer_) killTimer(refreshTimer_);
}

QPushButton* CPrinterFilesDlg::AddButton(int controlId, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::number(controlId));
    button->setAutoDefault(false);
    buttons_.emplace_back(controlId, button);
    return button;
}

QPushButton* CPrinterFilesDlg::Button(int controlId) const {
    for (const auto& [id, button] : buttons_)
        if (id == controlId) return button;
    return nullptr;
}

void CPrinterFilesDlg::RunOperation(const std::function<void()>& operation) {
    if (busy_ || manager_->Busy()) return;
    busy_ = true;
    std::vector<bool> enabled;
    for (const auto& [id, button] : buttons_) {
        enabled.push_back(button->isEnabled());
        button->setEnabled(false);
    }
    operation();
    for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i].second->setEnabled(enabled[i]);
    busy_ = false;
    CloseIfAsked();
}

void CPrinterFilesDlg::reject() {
    if (!busy_ && !manager_->Busy()) {
        QDialog::reject();
        return;
    }
    // Closed now, the dialog would be gone under the operation that works its list and bar.
    closeAsked_ = true;
    if (cancel_->isEnabled()) cancel_->click();
}

void CPrinterFilesDlg::CloseIfAsked() {
    if (!closeAsked_ || busy_ || manager_->Busy()) return;
    closeAsked_ = false;
    QDialog::reject();
}

void CPrinterFilesDlg::DropFiles(const std::vector<std::string>& paths) {
    // A drop handed out during another operation's pause must not take the port from under it.
    if (busy_ || manager_->Busy()) {
        QTimer::singleShot(kBusyDropRetryMs, this, [this, paths] { DropFiles(paths); });
        return;
    }
    RunOperation([this, &paths] { manager_->Upload(paths); });
}

// ---- PrinterFilesView

void CPrinterFilesDlg::SetTabStops(const std::vector<int>& stops) {
    static_cast<TabStopDelegate*>(list_->itemDelegate())->SetStops(stops);
}

void CPrinterFilesDlg::ClearList() { list_->clear(); }

void CPrinterFilesDlg::AddEntry(const std::string& entry) {
    auto* item = new QListWidgetItem(ToDisplayText(entry), list_);
    item->setData(kEntryBytesRole, QByteArray(entry.data(), static_cast<qsizetype>(entry.size())));
}

std::vector<std::string> CPrinterFilesDlg::Entries() const {
    std::vector<std::string> entries;
    for (int row = 0; row < list_->count(); ++row)
        entries.push_back(list_->item(row)->data(kEntryBytesRole).toByteArray().toStdString());
    return entries;
}

std::vector<std::string> CPrinterFilesDlg::SelectedEntries() const {
    std::vector<std::string> entries;
    for (int row = 0; row < list_->count(); ++row)
        if (list_->item(row)->isSelected())
            entries.push_back(list_->item(row)->data(kEntryBytesRole).toByteArray().toStdString());
    return entries;
}

void CPrinterFilesDlg::SetProgressRange(int low, int high) { progress_->setRange(low, high); }

void CPrinterFilesDlg::SetProgress(int position) { progress_->setValue(position); }

void CPrinterFilesDlg::OfferCancel(bool offered) {
    if (offered) cancelRequested_ = false;
    cancel_->setEnabled(offered);
}

bool CPrinterFilesDlg::CancelRequested() { return cancelRequested_; }

void CPrinterFilesDlg::SetCaption(const std::string& caption) { setWindowTitle(ToDisplayText(caption)); }

void CPrinterFilesDlg::Repaint() { repaint(); }

void CPrinterFilesDlg::ScheduleRefresh() {
    if (refreshTimer_) killTimer(refreshTimer_);
    refreshTimer_ = startTimer(kRefreshTimerPeriodMs);
}

void CPrinterFilesDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != refreshTimer_) {
        QDialog::timerEvent(event);
        return;
    }
    // One shot: the manager starts the timer again when a refresh it had to hold back is due.
    killTimer(refreshTimer_);
    refreshTimer_ = 0;
    manager_->RefreshTimerFired();
    CloseIfAsked();
}

void CPrinterFilesDlg::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void CPrinterFilesDlg::MessageBox(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, ToDisplayText(caption), ToDisplayText(text), QMessageBox::Ok, this);
    box.exec();
}

bool CPrinterFilesDlg::AskYesNo(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, ToDisplayText(caption), ToDisplayText(text),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::vector<std::string> CPrinterFilesDlg::ChooseFilesToUpload() {
    // Given no folder, Qt would open the folder of its last file dialog, which may be gone by now.
    const QString folder = uploadFolder_.isEmpty() ? QDir::currentPath() : uploadFolder_;
    const QStringList chosen = QFileDialog::getOpenFileNames(this, QString::fromLatin1(kUploadChooserTitle), folder,
                                                             QString::fromLatin1(kUploadChooserFilter));
    std::vector<std::string> paths;
    for (const QString& path : chosen) {
        const QByteArray bytes = QFile::encodeName(path);
        paths.emplace_back(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    if (!chosen.isEmpty()) uploadFolder_ = QFileInfo(chosen.front()).absolutePath();
    return paths;
}

// ---- Opening

void RunPrinterFilesDialog(const PrinterFilesOpener& open) {
    std::vector<QPointer<QWidget>> hidden;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!qobject_cast<QMainWindow*>(window) || !window->isVisible()) continue;
        window->hide();
        hidden.emplace_back(window);
    }
    {
        CPrinterFilesDlg dialog(open);
        dialog.exec();
    }
    for (const QPointer<QWidget>& window : hidden)
        if (window) window->show();
}

}  // namespace varnel
