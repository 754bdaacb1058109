#include "app/SelectPortCommand.h"

#include <optional>
#include <string>

#include "app/CVarnelApp.h"
#include "app/PortChoice.h"
#include "base/UserInterface.h"
#include "io/PortDiscovery.h"
#include "io/UdevDeviceSource.h"

namespace varnel {

void SelectPort(CVarnelApp& app) {
    UdevDeviceSource devices;
    SelectPort(app, devices);
}

void SelectPort(CVarnelApp& app, const DeviceSource& devices) {
    PortChoice choice([&](int position) { return GetPortListEntry(position, devices, app.store()); },
                      app.model().portName, [&app](SerialButton button, const std::string& port) {
                          // The button works on the port shown; the port in use changes on OK only.
                          const std::string inUse = app.model().portName;
                          app.model().portName = port;
                          switch (button) {
                          case SerialButton::DetectBaudRate: app.RunDetectBaudRate(); break;
                          case SerialButton::SetupSerialPort: app.RunSetupSerialPort(); break;
                          }
                          app.model().portName = inUse;
                      });
    if (std::optional<std::string> port = app.ui().SelectPort(choice)) app.CmdPort(*port);
}

}  // namespace varnel
