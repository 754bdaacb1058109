#pragma once

#include <optional>

#include "model/ModelObserver.h"

namespace varnel::test {

// Counts what the model asks of the window and keeps the flash button's last state, which is
// empty until the model sets it.
struct CountingModelObserver : ModelObserver {
    void UpdateTitle() override { ++titles; }
    void SetFlashButtonVisible(bool visible) override { flashVisible = visible; }
    void InvalidateView() override { ++invalidations; }

    int titles = 0;
    int invalidations = 0;
    std::optional<bool> flashVisible;
};

}  // namespace varnel::test
