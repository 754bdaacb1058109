#pragma once

#include <string>

namespace varnel {

// Whether the window system can be reached, found out before Qt is asked for it: Qt ends the
// process when the display it is given does not answer.
struct DisplayProbe {
    bool available = false;
    // The display that was set but did not answer ("DISPLAY=:369" after an ended X forwarding);
    // empty when none was set.
    std::string unanswered;
};

// A platform named by QT_QPA_PLATFORM other than xcb or wayland (offscreen, vnc ...) needs no
// display and counts as reachable; xcb needs the X display of DISPLAY to accept a connection,
// wayland the compositor socket of WAYLAND_DISPLAY. Without QT_QPA_PLATFORM either answering
// display will do.
DisplayProbe ProbeDisplay();

// From here until the Qt application exists, a fatal Qt message (a display that went away after
// the probe, a platform plugin that cannot start) ends the process with exit code 3 and the
// message on standard error instead of an abort.
void ExitOnFatalQtMessage();
// Back to Qt's own handling.
void RestoreQtMessageHandling();

}  // namespace varnel
