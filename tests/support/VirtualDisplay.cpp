#include "support/VirtualDisplay.h"

#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "base/UniqueFd.h"

namespace varnel::test {
namespace {

// Xvfb needs a moment to open its sockets; far beyond that it counts as failed.
constexpr int kStartLimitMs = 20000;

}  // namespace

std::string FindProgram(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = folder + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

std::optional<VirtualDisplay> VirtualDisplay::Start() {
    const std::string xvfb = FindProgram("Xvfb");
    if (xvfb.empty()) return std::nullopt;
    // Xvfb picks a free display number and writes it to the pipe once it accepts connections;
    // the pipe's write end is inherited by it, so it is made without close-on-exec.
    int ends[2];
    if (pipe(ends) != 0) return std::nullopt;
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);
    auto server = std::make_unique<ChildProcess>(
        xvfb,
        std::vector<std::string>{"-displayfd", std::to_string(writeEnd.Get()), "-screen", "0", "1280x1024x24",
                                 "-nolisten", "tcp"},
        HeadlessEnvironment(""), "");
    writeEnd.Reset();
    std::string number;
    pollfd ready{readEnd.Get(), POLLIN, 0};
    while (poll(&ready, 1, kStartLimitMs) > 0) {
        char c = 0;
        if (read(readEnd.Get(), &c, 1) != 1 || c == '\n') break;
        number.push_back(c);
    }
    if (number.empty()) return std::nullopt;
    return VirtualDisplay(std::move(server), ":" + number);
}

}  // namespace varnel::test
