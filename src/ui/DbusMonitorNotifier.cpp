#include "ui/DbusMonitorNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QStringDecoder>
#include <QVariant>

#include <array>

namespace varnel {

namespace {

// A private connection, so the notifier neither depends on nor disturbs the application's own
// use of the session bus.
constexpr char kConnectionName[] = "varnel-monitor-notifier";
constexpr unsigned kLow16Bits = 0xFFFF;

// Windows-1252 for 0x80..0x9F; the five unassigned bytes keep their Latin-1 (C1) meaning, as
// Windows itself converts them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromWindows1252(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        const bool high = byte >= 0x80 && byte < 0xA0;
        text += QChar(high ? kWindows1252High[byte - 0x80] : char16_t{byte});
    }
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
