#pragma once

// The firmware dialog worked as a user would once it offers its choice.

#include <QPushButton>

#include <functional>

#include "MainWindowInput.h"
#include "ui/CFlashDlg.h"

namespace varnel::test {

// Whether the firmware dialog offers its choice: before, while the boot loader is asked, its
// buttons are seen but cannot be used.
inline bool OffersFlashChoice(CFlashDlg& dialog) {
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("ok"));
    return ok && ok->isVisible() && ok->isEnabled();
}

// Works the next firmware dialog with `act` once it offers its choice.
inline void WhenFlashChoiceOffered(const std::function<void(CFlashDlg&)>& act) {
    WhenReadyAfterWaits<CFlashDlg>(OffersFlashChoice, act);
}

}  // namespace varnel::test
