#include "flash/FlashAskingDialog.h"

#include <string>

#include "base/UserInterface.h"

namespace varnel {

FlashAskingDialog::FlashAskingDialog(UserInterface& ui, const FlashDialogTexts& texts) : ui_(ui), texts_(texts) {
    Refresh();
}

void FlashAskingDialog::Refresh() {
    if (!open_) return;
    ui_.ShowFlashProgress(texts_, FlashProgressView{FlashProgressView::Stage::Asking, 0, std::string(kAskingText)});
}

void FlashAskingDialog::Close() {
    if (!open_) return;
    open_ = false;
    ui_.ShowFlashProgress(texts_, FlashProgressView{FlashProgressView::Stage::Finished, 0, {}});
}

}  // namespace varnel
