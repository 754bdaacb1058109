#pragma once

#include "protocol/SaveQuestion.h"

namespace varnel::test {

// Stands in for the document's save question where a printer operation runs without one:
// counts how often it was asked.
class RecordingSaveQuestion : public SaveQuestion {
public:
    void AskToSaveChanges() override { ++asks; }
    int asks = 0;
};

}  // namespace varnel::test
