#pragma once

#include "model/ModelObserver.h"

namespace varnel::test {

// Stands in for the main window where a test has none: the model's changes go nowhere.
class NullModelObserver : public ModelObserver {
public:
    void UpdateTitle() override {}
    void SetFlashButtonVisible(bool) override {}
    void InvalidateView() override {}
};

}  // namespace varnel::test
