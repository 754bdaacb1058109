#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace varnel::test {

// The real program's windows on a display, found and driven as a user would through xdotool:
// keys are typed through the X server's test extension into the focused window.
class XdoTool {
public:
    explicit XdoTool(std::string display) : display_(std::move(display)) {}

    static bool Installed();

    // The windows whose name matches the regular expression `name` (xdotool's own matching).
    std::vector<std::string> Windows(const std::string& name) const;
    // The first window whose name matches, waited for up to `limit`; nullopt when none showed.
    std::optional<std::string> WaitForWindow(const std::string& name, std::chrono::milliseconds limit) const;
    // Waits up to `limit` until no window's name matches `name`; false when one still does.
    bool WaitUntilGone(const std::string& name, std::chrono::milliseconds limit) const;
    std::string WindowName(const std::string& window) const;
    // The shown windows of the program whose window class is `className` (its menus too).
    std::vector<std::string> ShownWindowsOf(const std::string& className) const;
    // Waits up to `limit` until `className` shows `count` windows or more.
    bool WaitForShownWindows(const std::string& className, size_t count, std::chrono::milliseconds limit) const;
    // Gives `window` the keyboard focus (there is no window manager to do it).
    bool Focus(const std::string& window) const;
    // Types a key combination ("alt+f", "x", "Return") into whatever has the keyboard: the focused
    // window, or an open menu.
    bool Type(const std::string& keys) const;

private:
    // Runs xdotool with `arguments`; its standard output, nullopt when it failed.
    std::optional<std::string> Run(const std::vector<std::string>& arguments) const;

    std::string display_;
};

}  // namespace varnel::test
