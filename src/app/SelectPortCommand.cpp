#include "app/SelectPortCommand.h"

#include <optional>
#include <string>

#include "app/CVarnelApp.h"
#include "app/PortChoice.h"
#include "base/UserInterface.h"
#include "io/PortDiscovery.h"
#include "io/UdevDeviceSource.h"
#include "protocol/PortCommands.h"
#include "protocol/ProtocolContext.h"

namespace varnel {

void SelectPort(CVarnelApp& app) {
    UdevDeviceSource devices;
    SelectPort(app, devices);
}

void SelectPort(CVarnelApp& app, const DeviceSource& devices) {
    PortChoice choice([&](int position) { return GetPortListEntry(position, devices, app.store()); },
                      app.model().portName, [&app](SerialButton button, const std::string& port) {
                          app.CmdPort(port);
                          switch (button) {
                          case SerialButton::DetectBaudRate: {
                              ProtocolContext context = app.Context();
                              RunBaudRateDetection(context);
                              return;
                          }
                          case SerialButton::SetupSerialPort: app.CmdPortSetup(""); return;
                          }
                      });
    if (std::optional<std::string> port = app.ui().SelectPort(choice)) app.CmdPort(*port);
}

}  // namespace varnel
