#include "ui/Display.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QString>
#include <QtGlobal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string_view>

#include "app/CVarnelApp.h"
#include "base/UniqueFd.h"

namespace varnel {
namespace {

constexpr std::string_view kXcbPlatform = "xcb";
constexpr std::string_view kWaylandPlatform = "wayland";
constexpr std::string_view kDefaultWaylandSocket = "wayland-0";
// QT_QPA_PLATFORM may list fallbacks ("wayland;xcb") and options ("xcb:option").
constexpr std::string_view kPlatformEnd = ";:";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool XDisplayAnswers(const std::string& display) {
    if (display.empty()) return false;
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

// The compositor's socket: WAYLAND_DISPLAY itself when absolute, else in XDG_RUNTIME_DIR.
bool WaylandDisplayAnswers(std::string display) {
    if (display.empty()) display = kDefaultWaylandSocket;
    if (display.front() != '/') {
        const std::string runtime = Environment("XDG_RUNTIME_DIR");
        if (runtime.empty()) return false;
        display = runtime + "/" + display;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (display.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, display.data(), display.size());
    UniqueFd s(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!s.Valid()) return false;
    return ::connect(s.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

DisplayProbe Answered(bool answers, const std::string& display) {
    if (answers) return {true, {}};
    return {false, display};
}

void ExitOnFatal(QtMsgType type, const QMessageLogContext&, const QString& message) {
    const QByteArray text = message.toLocal8Bit();
    std::cerr.write(text.constData(), text.size());
    std::cerr << '\n';
    if (type != QtFatalMsg) return;
    std::string display = Environment("DISPLAY");
    if (display.empty()) display = Environment("WAYLAND_DISPLAY");
    std::cerr << "varnel: the display \"" << display
              << "\" cannot be opened; a run that ends with \"exit\" needs none (unset DISPLAY)" << std::endl;
    std::_Exit(kExitNoDisplay);
}

}  // namespace

DisplayProbe ProbeDisplay() {
    const std::string x = Environment("DISPLAY");
    const std::string wayland = Environment("WAYLAND_DISPLAY");
    const std::string requested = Environment("QT_QPA_PLATFORM");
    const std::string_view platform = std::string_view(requested).substr(0, requested.find_first_of(kPlatformEnd));
    if (platform == kXcbPlatform) return Answered(XDisplayAnswers(x), x);
    if (platform.starts_with(kWaylandPlatform)) return Answered(WaylandDisplayAnswers(wayland), wayland);
    if (!platform.empty()) return {true, {}};
    if (!wayland.empty() && WaylandDisplayAnswers(wayland)) return {true, {}};
    if (XDisplayAnswers(x)) return {true, {}};
    return {false, !x.empty() ? x : wayland};
}

void ExitOnFatalQtMessage() { qInstallMessageHandler(ExitOnFatal); }

void RestoreQtMessageHandling() { qInstallMessageHandler(nullptr); }

}  // namespace varnel
