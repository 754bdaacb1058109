#pragma once

namespace varnel {

class CVarnelApp;
class DeviceSource;

// The Select Port command, of the main window and of the file manager's "Comm Port" button:
// the port dialog over the ports the system and the settings store know of. OK sets the port;
// "Detect baud rate." and "Setup serial port." set it at once and run their command.
void SelectPort(CVarnelApp& app);
// The same over a given device list (tests hand in a made-up one).
void SelectPort(CVarnelApp& app, const DeviceSource& devices);

}  // namespace varnel
