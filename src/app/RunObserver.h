#pragma once

#include <string>

#include "app/ActionObserver.h"
#include "protocol/VerifyDifference.h"

namespace varnel {

// What the application object tells a record of the run while it happens, from the command line
// and the window alike; the command line's dispatcher tells it of each action as well.
class RunObserver : public ActionObserver {
public:
    // An error report that went into the log, or a failure of the port logged as a message
    // (those met while probing quietly are not logged and do not count).
    virtual void ErrorLogged(const std::string& text) = 0;
    virtual void DifferenceFound(const VerifyDifference& difference) = 0;
    // The printer's firmware identifier, each time an operation has read one.
    virtual void FirmwareIdentifierRead(const std::string& identifier) = 0;
    // A serial number programmed into the printer and read back unchanged.
    virtual void SerialNumberVerified(const std::string& serialNumber) = 0;
};

}  // namespace varnel
