#pragma once

#include <memory>
#include <string>

#include "base/MonitorNotifier.h"

class QString;

namespace varnel {

// Where the status monitor listens on the session bus; `varnel-monitor` serves the same names.
inline constexpr char kMonitorService[] = "com.pellam.Monitor";
inline constexpr char kMonitorPath[] = "/com/pellam/Monitor";
inline constexpr char kMonitorInterface[] = "com.pellam.Monitor";
inline constexpr char kMonitorMethod[] = "Notify";
// The monitor handles a report while the program waits, as it did for a window message.
inline constexpr int kMonitorCallTimeoutMs = 2000;

// Delivers reports to the status monitor by a blocking D-Bus call of Notify(s text, q eventCode,
// q severity). Without a session bus, or when no monitor owns the name, a report is skipped at
// no noticeable cost. Needs no running event loop.
class DbusMonitorNotifier : public MonitorNotifier {
public:
    DbusMonitorNotifier();
    ~DbusMonitorNotifier() override;
    DbusMonitorNotifier(const DbusMonitorNotifier&) = delete;
    DbusMonitorNotifier& operator=(const DbusMonitorNotifier&) = delete;

    void Notify(const std::string& text, int eventCode, int severity) override;

private:
    struct Bus;
    // Connected on the first report and kept; null once the bus turned out to be unreachable.
    Bus* ConnectedBus();

    std::unique_ptr<Bus> bus_;
    bool busTried_ = false;
};

// The program's 8-bit text as the monitor shows it: UTF-8 when it is valid UTF-8, else
// Windows-1252.
QString MonitorText(const std::string& bytes);

}  // namespace varnel
