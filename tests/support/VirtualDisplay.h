#pragma once

#include <memory>
#include <optional>
#include <string>

#include "support/ChildProcess.h"

namespace varnel::test {

// An X server of its own for a test (Xvfb), so the real program shows its window without the
// machine's display; stopped when the object goes.
class VirtualDisplay {
public:
    // Starts Xvfb on a free display number; nullopt when it cannot be started (not installed).
    static std::optional<VirtualDisplay> Start();

    VirtualDisplay(VirtualDisplay&&) = default;
    VirtualDisplay& operator=(VirtualDisplay&&) = default;

    // ":N", the value for DISPLAY.
    const std::string& Name() const { return name_; }

private:
    VirtualDisplay(std::unique_ptr<ChildProcess> server, std::string name)
        : server_(std::move(server)), name_(std::move(name)) {}

    std::unique_ptr<ChildProcess> server_;
    std::string name_;
};

// The path of `program` found in PATH; empty when it is not installed.
std::string FindProgram(const std::string& program);

}  // namespace varnel::test
