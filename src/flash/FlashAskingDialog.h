#pragma once

#include <string_view>

#include "base/FlashDialog.h"

namespace varnel {

class UserInterface;

// The firmware dialog while an interactive update asks the boot loader: open from the first
// moment, so the user sees that something happens in the seconds the questions take, with the
// answers filled in as they come. The choice dialog takes it over; every other way out closes it.
class FlashAskingDialog {
public:
    // Shows the dialog with `texts` as they are now; they are shown again on each Refresh.
    FlashAskingDialog(UserInterface& ui, const FlashDialogTexts& texts);
    ~FlashAskingDialog() { Close(); }
    FlashAskingDialog(const FlashAskingDialog&) = delete;
    FlashAskingDialog& operator=(const FlashAskingDialog&) = delete;

    // Shows the answers that came since.
    void Refresh();
    // Closes the dialog (before an error box, so the box is not hidden behind it); nothing
    // once it is closed or handed over.
    void Close();
    // The choice dialog takes the open dialog over: it is not closed here any more.
    void HandOver() { open_ = false; }

    // What the dialog says while it waits for the boot loader.
    static constexpr std::string_view kAskingText = "Asking the printer's boot loader...";

private:
    UserInterface& ui_;
    const FlashDialogTexts& texts_;
    bool open_ = true;
};

}  // namespace varnel
