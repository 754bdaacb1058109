#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <string>

#include "base/OperationMonitor.h"

namespace varnel {

// One printer operation running beside the window, on a thread of its own, so the window keeps
// answering while the printer is busy. It tells the window its progress and learns from it that
// the user cancelled; its boxes and dialogs reach the window's thread through the user
// interface. Finished comes on the window's thread once the operation's thread has ended.
class PrinterJob : public QObject, public OperationMonitor {
    Q_OBJECT
public:
    PrinterJob(std::function<void()> work, QObject* parent);
    // Waits for the operation's thread: a job is never left running without its owner.
    ~PrinterJob() override;
    PrinterJob(const PrinterJob&) = delete;
    PrinterJob& operator=(const PrinterJob&) = delete;

    void Start();
    // True once the operation's thread has ended.
    bool Ended() const { return thread_ && thread_->isFinished(); }
    // The user's Cancel; the operation stops at its next exchange boundary.
    void Cancel() { cancelled_ = true; }

    // OperationMonitor, on the operation's thread.
    void Progress(const std::string& step, int64_t done, int64_t total) override;
    bool CancelRequested() const override { return cancelled_; }

signals:
    void ProgressChanged(const QString& step, qint64 done, qint64 total);
    void Finished();

private:
    std::function<void()> work_;
    QThread* thread_ = nullptr;
    std::atomic<bool> cancelled_{false};
};

}  // namespace varnel
