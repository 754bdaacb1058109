#include "support/XdoTool.h"

#include <fcntl.h>
#include <unistd.h>

#include <sstream>
#include <thread>

#include "support/ChildProcess.h"
#include "support/ScratchDir.h"
#include "support/VirtualDisplay.h"

namespace varnel::test {
namespace {

constexpr std::chrono::milliseconds kRunLimit{10000};
constexpr std::chrono::milliseconds kPollStep{50};

// The window ids of a search, one per line.
std::vector<std::string> Ids(const std::string& lines) {
    std::vector<std::string> ids;
    std::istringstream stream(lines);
    for (std::string id; std::getline(stream, id);)
        if (!id.empty()) ids.push_back(id);
    return ids;
}

}  // namespace

bool XdoTool::Installed() { return !FindProgram("xdotool").empty(); }

std::optional<std::string> XdoTool::Run(const std::vector<std::string>& arguments) const {
    ScratchDir scratch;
    const std::string outPath = scratch.File("xdotool.out");
    std::vector<std::string> env = HeadlessEnvironment("");
    env.push_back("DISPLAY=" + display_);
    ExitStatus status;
    {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (out < 0) return std::nullopt;
        ChildProcess tool(FindProgram("xdotool"), arguments, env, "", out, out);
        status = tool.Wait(kRunLimit);
        close(out);
    }
    if (!status.exited || status.code != 0) return std::nullopt;
    return ReadFileBytes(outPath);
}

std::vector<std::string> XdoTool::Windows(const std::string& name) const {
    return Ids(Run({"search", "--name", name}).value_or(""));
}

std::optional<std::string> XdoTool::WaitForWindow(const std::string& name, std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::vector<std::string> windows = Windows(name);
        if (!windows.empty()) return windows.front();
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(kPollStep);
    }
}

bool XdoTool::WaitUntilGone(const std::string& name, std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!Windows(name).empty()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

std::string XdoTool::WindowName(const std::string& window) const {
    std::string name = Run({"getwindowname", window}).value_or("");
    if (!name.empty() && name.back() == '\n') name.pop_back();
    return name;
}

std::vector<std::string> XdoTool::ShownWindowsOf(const std::string& className) const {
    return Ids(Run({"search", "--onlyvisible", "--classname", "^" + className + "$"}).value_or(""));
}

bool XdoTool::WaitForShownWindows(const std::string& className, size_t count, std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (ShownWindowsOf(className).size() < count) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

bool XdoTool::Focus(const std::string& window) const { return Run({"windowfocus", "--sync", window}).has_value(); }

bool XdoTool::Type(const std::string& keys) const { return Run({"key", keys}).has_value(); }

}  // namespace varnel::test
