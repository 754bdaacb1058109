#pragma once

namespace varnel {

// The document's save question, asked before a read from the printer replaces a modified
// configuration with another model's. The application's document holds the one question (the
// same as before New and Open); tests record that it was asked.
class SaveQuestion {
public:
    virtual ~SaveQuestion() = default;
    // When the configuration is modified: asks whether to save it, and on Yes lets the user
    // choose a file and writes the configuration there.
    virtual void AskToSaveChanges() = 0;
};

}  // namespace varnel
