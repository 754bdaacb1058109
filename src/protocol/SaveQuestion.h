#pragma once

namespace varnel {

// The document's save question, asked before a read from the printer replaces a modified
// configuration with another model's; the read stops when it is cancelled. The application's document holds the one question (the
// same as before New and Open); tests record that it was asked.
class SaveQuestion {
public:
    virtual ~SaveQuestion() = default;
    // When the configuration is modified: asks whether to save it first. True when the caller
    // may go on (nothing to save, saved, or discarded); false when the user cancelled or the
    // save did not happen.
    virtual bool AskToSaveChanges() = 0;
};

}  // namespace varnel
