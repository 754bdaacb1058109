#pragma once

#include <QObject>
#include <QString>

#include <cstdio>

namespace varnel {

// The object the program's reports are delivered to: each one becomes a line
// "<eventCode> <severity> <text>" on the output, flushed at once so a reader sees it while the
// program still waits for the call to return.
class MonitorService : public QObject {
    Q_OBJECT
    // Must match kMonitorInterface; moc needs the literal.
    Q_CLASSINFO("D-Bus Interface", "com.pellam.Monitor")

public:
    explicit MonitorService(std::FILE* out, QObject* parent = nullptr) : QObject(parent), out_(out) {}

public slots:
    Q_SCRIPTABLE void Notify(const QString& text, quint16 eventCode, quint16 severity);

private:
    std::FILE* out_;
};

// One notification as one output line: line breaks inside the text become blanks.
QString MonitorLine(const QString& text, quint16 eventCode, quint16 severity);

}  // namespace varnel
