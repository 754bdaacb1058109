#include "MonitorService.h"

#include <QByteArray>
#include <QRegularExpression>

namespace varnel {

QString MonitorLine(const QString& text, quint16 eventCode, quint16 severity) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString oneLine = text;
    oneLine.replace(lineBreak, QStringLiteral(" "));
    return QStringLiteral("%1 %2 %3").arg(eventCode).arg(severity).arg(oneLine);
}

void MonitorService::Notify(const QString& text, quint16 eventCode, quint16 severity) {
    const QByteArray line = MonitorLine(text, eventCode, severity).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), out_);
    std::fflush(out_);
}

}  // namespace varnel
