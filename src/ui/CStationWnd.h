#pragma once

#include <QWidget>
#include <map>
#include <string>
#include <vector>

#include "app/StationPrinter.h"
#include "base/Clock.h"
#include "ui/StationWorker.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QThread;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace varnel {

class CVarnelApp;

// The Station window: one job run on many printers at once, each printer a row that shows where
// it is and how it ended. A top-level window of its own, not modal: the main window stays usable
// for one printer meanwhile. The station works on a thread of its own; the window shows and asks.
class CStationWnd : public QWidget, private StationEvents {
    Q_OBJECT
public:
    // Column order of the printer rows.
    enum Column : int { kPortColumn, kFirmwareColumn, kRunColumn, kProgressColumn, kElapsedColumn, kResultColumn };

    // The ports and the job start from the main window's port and configuration file; the runs
    // start `program` (varnel) in the process's working folder.
    CStationWnd(CVarnelApp& app, const std::string& program, QWidget* parent = nullptr);
    ~CStationWnd() override;

    // True while a printer waits or runs, or the station watches.
    bool Running() const { return running_; }

    QListWidget* PortList() const { return ports_; }
    QLineEdit* PortEdit() const { return portEdit_; }
    QPushButton* AddPortButton() const { return addPort_; }
    QListWidget* JobList() const { return runs_; }
    QPushButton* AddRunButton() const { return addRun_; }
    QPushButton* RemoveRunButton() const { return removeRun_; }
    QPushButton* LoadJobButton() const { return loadJob_; }
    QPushButton* SaveJobButton() const { return saveJob_; }
    QPushButton* RecordButton() const { return chooseRecord_; }
    QPushButton* StartButton() const { return start_; }
    QPushButton* StopButton() const { return stop_; }
    QCheckBox* WatchBox() const { return watch_; }
    QTreeWidget* PrinterRows() const { return rows_; }
    QLabel* Summary() const { return summary_; }
    QLineEdit* RecordEdit() const { return record_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // StationEvents.
    void ShowPrinter(const StationPrinter& printer) override;
    void ShowProblem(const std::string& text) override;
    void StationIdle() override;

    void AddTypedPort();
    void AddRun();
    void RemoveRun();
    void LoadJob();
    void SaveJob();
    void ChooseRecord();
    void Start();
    // Asks first; true when the station was stopped.
    bool AskAndStop();
    void ShowLog(QTreeWidgetItem* row);
    void ShowElapsed();
    void ShowSummary();
    void EnableCommands();
    std::vector<std::string> RunTexts() const;
    std::vector<std::string> CheckedPorts() const;

    QListWidget* ports_ = nullptr;
    QLineEdit* portEdit_ = nullptr;
    QPushButton* addPort_ = nullptr;
    QListWidget* runs_ = nullptr;
    QPushButton* addRun_ = nullptr;
    QPushButton* removeRun_ = nullptr;
    QPushButton* loadJob_ = nullptr;
    QPushButton* saveJob_ = nullptr;
    QLineEdit* record_ = nullptr;
    QPushButton* chooseRecord_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QCheckBox* watch_ = nullptr;
    QTreeWidget* rows_ = nullptr;
    QLabel* summary_ = nullptr;
    QTimer* elapsedTick_ = nullptr;

    // The printers as the station last told of them, by port, and their rows.
    std::map<std::string, StationPrinter> printers_;
    std::map<std::string, QTreeWidgetItem*> rowOf_;
    std::string recordPath_;
    bool running_ = false;
    SystemClock clock_;
    QThread* thread_ = nullptr;
    StationWorker* worker_ = nullptr;
};

}  // namespace varnel
