#include "ui/PrinterJob.h"

#include "ui/UiText.h"

namespace varnel {

PrinterJob::PrinterJob(std::function<void()> work, QObject* parent) : QObject(parent), work_(std::move(work)) {}

PrinterJob::~PrinterJob() {
    if (thread_) thread_->wait();
}

void PrinterJob::Start() {
    thread_ = QThread::create([this] { work_(); });
    thread_->setParent(this);
    // Queued to this object's (the window's) thread: the operation's thread has ended by then.
    connect(thread_, &QThread::finished, this, &PrinterJob::Finished, Qt::QueuedConnection);
    thread_->start();
}

void PrinterJob::Progress(const std::string& step, int64_t done, int64_t total) {
    // Signals to an object of another thread are queued; the window takes them in order.
    emit ProgressChanged(ToDisplayText(step), done, total);
}

}  // namespace varnel
