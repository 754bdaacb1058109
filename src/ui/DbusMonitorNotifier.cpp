#include "ui/DbusMonitorNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QStringDecoder>
#include <QVariant>

#include "base/Windows1252.h"

namespace varnel {

namespace {

// A private connection, so the notifier neither depends on nor disturbs the application's own
// use of the session bus.
constexpr char kConnectionName[] = "varnel-monitor-notifier";
constexpr unsigned kLow16Bits = 0xFFFF;

QString FromWindows1252(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) text += QChar(static_cast<char16_t>(Windows1252CodePoint(static_cast<unsigned char>(c))));
    return text;
}

}  // namespace

QString MonitorText(const std::string& bytes) {
    // A D-Bus string cannot hold a zero byte; the text ends there, as a C string would.
    const std::string_view text = std::string_view(bytes).substr(0, bytes.find('\0'));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return decoded;
    return FromWindows1252(text);
}

struct DbusMonitorNotifier::Bus {
    QDBusConnection connection;
};

DbusMonitorNotifier::DbusMonitorNotifier() = default;

DbusMonitorNotifier::~DbusMonitorNotifier() {
    if (!busTried_) return;
    bus_.reset();
    QDBusConnection::disconnectFromBus(QString::fromLatin1(kConnectionName));
}

DbusMonitorNotifier::Bus* DbusMonitorNotifier::ConnectedBus() {
    if (busTried_) return bus_.get();
    busTried_ = true;
    // Tried once: without a session bus every later report is skipped without a new attempt.
    QDBusConnection connection =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QString::fromLatin1(kConnectionName));
    if (connection.isConnected()) bus_ = std::make_unique<Bus>(Bus{connection});
    return bus_.get();
}

void DbusMonitorNotifier::Notify(const std::string& text, int eventCode, int severity) {
    Bus* bus = ConnectedBus();
    if (!bus) return;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kMonitorService), QString::fromLatin1(kMonitorPath),
                                                       QString::fromLatin1(kMonitorInterface), QString::fromLatin1(kMonitorMethod));
    // No monitor running is the common case: the bus answers at once instead of starting one.
    call.setAutoStartService(false);
    call << MonitorText(text) << QVariant::fromValue(static_cast<quint16>(static_cast<unsigned>(eventCode) & kLow16Bits))
         << QVariant::fromValue(static_cast<quint16>(static_cast<unsigned>(severity) & kLow16Bits));
    // A missing or failing monitor is skipped, as a missing monitor window was.
    bus->connection.call(call, QDBus::Block, kMonitorCallTimeoutMs);
}

}  // namespace varnel
