#pragma once

#include <functional>
#include <memory>
#include <string>

namespace varnel {

class Clock;
class IOComm;
class Reporter;
class UserInterface;
struct ConfigModel;

// Builds the update's own port object, closed, for the length of one update. The application
// makes one on the platform's ports; tests make one on a fake backend.
using PortFactory = std::function<std::unique_ptr<IOComm>()>;

// What a firmware update works with, handed in by the application object.
struct FlashContext {
    const ConfigModel& model;  // "Firmware_ID", portName, flashBaud
    Reporter& reporter;
    Clock& clock;
    UserInterface& ui;  // the firmware dialog and the boot file chooser
    PortFactory makePort;
};

// Streams a boot file to the printer's boot loader (the printer must already be in boot-load
// mode). `prefix` is put before the boot file pattern ("flash:" passes a directory with its
// trailing "/"); unattended runs use no dialog and only leave boot mode when the printer
// already runs the newest matching file's firmware. Returns 1 when flashed or boot mode was
// left, 0 when failed (reported) or cancelled.
int UpdateFirmware(const FlashContext& context, const std::string& prefix, bool unattended);

}  // namespace varnel
