// varnel-monitor: the status monitor. Owns com.pellam.Monitor on the session bus and prints every
// report that varnel delivers to it.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>

#include <cstdio>
#include <cstring>

#include "MonitorService.h"
#include "ui/DbusMonitorNotifier.h"

namespace {

constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "Usage: varnel-monitor [--help]\n"
    "\n"
    "Shows the reports of varnel: errors, messages and status texts. Owns the name\n"
    "com.pellam.Monitor on the session bus and prints each report as one line\n"
    "\"<eventCode> <severity> <text>\" on standard output (line breaks in the text\n"
    "become blanks). Severity is 10 for errors and 5 for messages and status texts.\n"
    "Runs until it is ended (Ctrl+C or SIGTERM).\n";

}  // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "varnel-monitor: unknown argument \"%s\"\n\n%s", argv[i], kUsage);
        return kExitUsage;
    }

    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "varnel-monitor: no session bus: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    varnel::MonitorService service(stdout);
    if (!bus.registerObject(QString::fromLatin1(varnel::kMonitorPath), &service,
                            QDBusConnection::ExportScriptableSlots)) {
        std::fprintf(stderr, "varnel-monitor: cannot register %s\n", varnel::kMonitorPath);
        return 1;
    }
    if (!bus.registerService(QString::fromLatin1(varnel::kMonitorService))) {
        std::fprintf(stderr, "varnel-monitor: %s is owned by another program (is a monitor running already?)\n",
                     varnel::kMonitorService);
        return 1;
    }
    return app.exec();
}
