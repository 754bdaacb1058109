#pragma once

#include <string>

namespace varnel {

// Delivery of every report to the status-monitor program, when one is running. Synchronous:
// the monitor has the text by the time Notify returns.
class MonitorNotifier {
public:
    virtual ~MonitorNotifier() = default;
    virtual void Notify(const std::string& text, int eventCode, int severity) = 0;
};

}  // namespace varnel
