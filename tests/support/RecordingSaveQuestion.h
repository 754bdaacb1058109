#pragma once

#include "protocol/SaveQuestion.h"

namespace varnel::test {

// Stands in for the document's save question where a printer operation runs without one:
// counts how often it was asked.
class RecordingSaveQuestion : public SaveQuestion {
public:
    bool AskToSaveChanges() override {
        ++asks;
        return goOn;
    }
    bool goOn = true;
    int asks = 0;
};

}  // namespace varnel::test
