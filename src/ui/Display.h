#pragma once

namespace varnel {

// Whether a display can be reached: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set (and not
// empty). Without one the program runs headless.
bool DisplayAvailable();

}  // namespace varnel
