// varnel-monitor: the status monitor. Owns com.pellam.Monitor on the session bus and prints every
// report that varnel delivers to it.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>

#include <cstdio>
#include <cstdlib>

#include "MonitorService.h"
#include "ui/DbusMonitorNotifier.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr char kVersion[] = VARNEL_VERSION;

constexpr char kDescription[] =
    "Shows the reports of varnel: errors, messages and status texts. Owns the name\n"
    "com.pellam.Monitor on the session bus and prints each report as one line\n"
    "\"<eventCode> <severity> <text>\" on standard output (line breaks in the text\n"
    "become blanks). Severity is 10 for errors and 5 for messages and status texts.\n"
    "Runs until it is ended (Ctrl+C or SIGTERM).";

// --help and --version print and end the process; anything else on the command line is a
// usage error, as the monitor takes no arguments.
void ParseCommandLine(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "varnel-monitor: %s\n\n%s", qPrintable(parser.errorText()), qPrintable(parser.helpText()));
        std::exit(kExitUsage);
    }
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "varnel-monitor: unknown argument \"%s\"\n\n%s",
                     qPrintable(parser.positionalArguments().front()), qPrintable(parser.helpText()));
        std::exit(kExitUsage);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnel-monitor"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    ParseCommandLine(app);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "varnel-monitor: no session bus: %s\n", qPrintable(bus.lastError().message()));
        return kExitFailure;
    }
    varnel::MonitorService service(stdout);
    if (!bus.registerObject(QString::fromLatin1(varnel::kMonitorPath), &service,
                            QDBusConnection::ExportScriptableSlots)) {
        std::fprintf(stderr, "varnel-monitor: cannot register %s\n", varnel::kMonitorPath);
        return kExitFailure;
    }
    if (!bus.registerService(QString::fromLatin1(varnel::kMonitorService))) {
        std::fprintf(stderr, "varnel-monitor: %s is owned by another program (is a monitor running already?)\n",
                     varnel::kMonitorService);
        return kExitFailure;
    }
    return app.exec();
}
