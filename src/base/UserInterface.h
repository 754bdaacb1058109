#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/VerificationTable.h"

#include "base/FlashDialog.h"
#include "base/PrinterFilesCommands.h"
#include "base/PortDialogModel.h"
#include "base/SerialLineSettings.h"

namespace varnel {

class EditPages;

// The answers to the question asked before a changed configuration is replaced or the program ends.
enum class SaveAnswer {
    Save,     // save it first, then go on
    Discard,  // go on without saving
    Cancel,   // keep it and do not go on
};

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
    // The save question: Save, Discard or Cancel (Escape and closing the box cancel). Headless
    // it counts as Discard, as a question counts as No there: a script goes on as it always did.
    virtual SaveAnswer AskSaveChanges(const std::string& caption, const std::string& text) = 0;
    // The status line; `text` replaces what it showed. Returns false when there is no status line.
    virtual bool SetStatusText(const std::string& text) = 0;

    // File choosers. `filter` is in Qt's form ("Config Files (*.cfg)"). Empty when cancelled.
    virtual std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                                      const std::string& directory) = 0;
    virtual std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                                      const std::string& directory) = 0;

    // Port, comment and firmware dialogs
    // "Select Communication Port": lists `choice`'s ports; its serial buttons act at once.
    // Returns the port text on OK; nothing when cancelled (headless always).
    virtual std::optional<std::string> SelectPort(PortDialogModel& choice) = 0;
    // "Edit Comment": at most `maxLength` bytes. Returns the edited text on OK.
    virtual std::optional<std::string> EditComment(const std::string& comment, size_t maxLength) = 0;
    // The firmware dialog: what the boot loader and the file search found; the user's choice.
    // A dialog left open by the Asking stage becomes this one. Headless it counts as Cancel.
    virtual FlashChoice ChooseFlashAction(const FlashDialogTexts& texts) = 0;
    // The firmware dialog without a choice to make: while the boot loader is asked (Asking,
    // its answers filled in as they come), and while the chosen file streams and the printer
    // restarts; a Finished stage closes it.
    virtual void ShowFlashProgress(const FlashDialogTexts& texts, const FlashProgressView& progress) = 0;
    // The serial configuration dialog for `portName`, starting from `current`. Returns the
    // settings chosen on OK; nothing when cancelled (headless always).
    virtual std::optional<SerialLineSettings> EditSerialLine(const std::string& portName,
                                                             const SerialLineSettings& current) = 0;

    // Configuration edit dialog
    // Shows the opened pages until OK or Cancel; the user's input goes into `pages` (a change of
    // group stores the page shown). True for OK; headless always false (cancelled).
    virtual bool EditConfiguration(EditPages& pages) = 0;
    // Opens the help page `path` (a local file) at `anchor` in the desktop's browser. A page that
    // cannot be opened is said in a box with its path; false then.
    virtual bool OpenHelpPage(const std::string& path, const std::string& anchor) = 0;

    // Verification result dialog
    // The settings one verification found different, in one table that can be copied or saved
    // as CSV; modal until closed.
    virtual void ShowVerificationResult(const std::vector<VerificationRow>& rows) = 0;

    // Printer file manager
    // Modal until the user closes it, the main window hidden meanwhile; `open` makes the commands
    // its buttons run. False when it cannot be shown (headless), after saying why.
    virtual bool ShowPrinterFiles(const PrinterFilesOpener& open) = 0;

    // About box
    // The program's version; returns when the user closes it.
    virtual void ShowAboutBox() = 0;
};

}  // namespace varnel
