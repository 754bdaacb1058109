#pragma once

#include <optional>
#include <string>

namespace varnel {

// What the core asks of whoever is in front of the program: the Qt window, the headless
// console, or a recording double in tests. Dialogs return values; they never reach the model.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // A modal box with the caption, the text and one OK button. Returns the button's result
    // (1 for OK).
    virtual int MessageBox(const std::string& caption, const std::string& text) = 0;
    // A Yes/No question; headless it counts as No.
    virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
    // The status line; `text` replaces what it showed. Returns false when there is no status line.
    virtual bool SetStatusText(const std::string& text) = 0;

    // File choosers. `filter` is in Qt's form ("Config Files (*.cfg)"). Empty when cancelled.
    virtual std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                                      const std::string& directory) = 0;
    virtual std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                                      const std::string& directory) = 0;

    // The serial configuration dialog: edits the 52-byte configuration record in place.
    // Returns false when cancelled (headless always).
    virtual bool EditSerialConfiguration(const std::string& portName, std::string& commConfig) = 0;

    // Help pages
    // Shows the page at `path` (at `anchor` when not empty) in the desktop's web browser.
    // Returns false when it could not be opened (headless always).
    virtual bool OpenHelpPage(const std::string& path, const std::string& anchor) = 0;
    // The About box: the program's version; returns when the user closes it.
    virtual void ShowAboutBox() = 0;
};

}  // namespace varnel
