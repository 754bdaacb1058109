#include "ui/StationWorker.h"

#include <QMetaObject>
#include <QTimer>

namespace varnel {
namespace {

// How often the station collects ended runs and starts the next ones.
constexpr int kPollMs = 100;

}  // namespace

StationWorker::StationWorker(std::string program, std::string workingFolder, QObject* window,
                             StationEvents& events)
    : desk_(std::move(program), std::move(workingFolder)), window_(window), events_(events) {
    poll_ = new QTimer(this);
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, &StationWorker::Poll);
}

// Every run ends before the worker goes, while it can still tell the window.
StationWorker::~StationWorker() { desk_.Stop(); }

void StationWorker::Call(std::function<void(StationWorker&)> work) {
    QMetaObject::invokeMethod(this, [this, work = std::move(work)] { work(*this); }, Qt::QueuedConnection);
}

void StationWorker::Start(const StationDeskStart& start) {
    std::string problem;
    if (!desk_.Start(start, *this, problem)) {
        StationProblem(problem);
        Idle();
        return;
    }
    poll_->start();
    Poll();
}

void StationWorker::AddPort(const std::string& port) { desk_.AddPort(port); }

void StationWorker::Stop() {
    // A station that was done already has said so once.
    const bool wasBusy = desk_.Busy();
    desk_.Stop();
    if (wasBusy) Idle();
}

void StationWorker::StationProblem(const std::string& text) {
    QMetaObject::invokeMethod(window_, [&events = events_, text] { events.ShowProblem(text); }, Qt::QueuedConnection);
}

void StationWorker::Post(const StationPrinter& printer) {
    QMetaObject::invokeMethod(window_, [&events = events_, printer] { events.ShowPrinter(printer); },
                              Qt::QueuedConnection);
}

void StationWorker::Poll() {
    desk_.Poll();
    if (!desk_.Busy()) Idle();
}

void StationWorker::Idle() {
    poll_->stop();
    QMetaObject::invokeMethod(window_, [&events = events_] { events.StationIdle(); }, Qt::QueuedConnection);
}

}  // namespace varnel
