#pragma once

namespace varnel {

// What the window shows of the model and must follow when the model's descriptions change.
// The application forwards these to the main window once it exists; before that they do nothing.
class ModelObserver {
public:
    virtual ~ModelObserver() = default;
    virtual void UpdateTitle() = 0;
    // The toolbar's firmware-flash button (shown while the configuration has "Firmware_ID").
    virtual void SetFlashButtonVisible(bool visible) = 0;
    // The whole main window is to be redrawn.
    virtual void InvalidateView() = 0;
};

}  // namespace varnel
