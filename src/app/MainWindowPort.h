#pragma once

#include <string>

namespace varnel {

// What the application asks of the main window once it exists. The window registers itself with
// CVarnelApp::SetMainWindow when it is created and unregisters (nullptr) before it goes away;
// until then the application has no window and these calls are skipped.
class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;
    virtual void UpdateTitle(const std::string& title) = 0;
    // The toolbar's firmware-flash button.
    virtual void SetFlashButtonVisible(bool visible) = 0;
    // Redraw the whole window.
    virtual void Invalidate() = 0;
};

}  // namespace varnel
