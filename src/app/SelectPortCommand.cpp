#include "app/SelectPortCommand.h"

#include <optional>
#include <string>

#include "app/CVarnelApp.h"
#include "app/PortChoice.h"
#include "base/UserInterface.h"
#include "io/PortDiscovery.h"
#include "io/UdevDeviceSource.h"

namespace varnel {

namespace {

// A serial button's command works on the port shown and reports to the dialog's monitor; both
// go back to what they were when it ends, however it ends. The port in use changes on OK only.
class SerialButtonRun {
public:
    SerialButtonRun(CVarnelApp& app, const std::string& port, OperationMonitor* monitor)
        : app_(app), inUse_(app.model().portName), outerMonitor_(app.operationMonitor()) {
        app_.model().portName = port;
        if (monitor) app_.SetOperationMonitor(monitor);
    }
    ~SerialButtonRun() {
        app_.SetOperationMonitor(outerMonitor_);
        app_.model().portName = inUse_;
    }
    SerialButtonRun(const SerialButtonRun&) = delete;
    SerialButtonRun& operator=(const SerialButtonRun&) = delete;

private:
    CVarnelApp& app_;
    const std::string inUse_;
    OperationMonitor* const outerMonitor_;
};

}  // namespace

void SelectPort(CVarnelApp& app) {
    UdevDeviceSource devices;
    SelectPort(app, devices);
}

void SelectPort(CVarnelApp& app, const DeviceSource& devices) {
    PortChoice choice([&](int position) { return GetPortListEntry(position, devices, app.store()); },
                      app.model().portName,
                      [&app](SerialButton button, const std::string& port, OperationMonitor* monitor) {
                          SerialButtonRun run(app, port, monitor);
                          switch (button) {
                          case SerialButton::DetectBaudRate: app.RunDetectBaudRate(); break;
                          case SerialButton::SetupSerialPort: app.RunSetupSerialPort(); break;
                          }
                      });
    if (std::optional<std::string> port = app.ui().SelectPort(choice)) app.CmdPort(*port);
}

}  // namespace varnel
