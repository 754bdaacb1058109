#pragma once

#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "base/FlashDialog.h"

class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QProgressBar;

namespace varnel {

// The firmware dialog: what the boot loader and the boot file search found, read-only, and the
// user's choice of flashing, choosing another file, leaving boot mode or cancelling. Before the
// choice it shows that the boot loader is being asked, its buttons not yet usable; once the
// user chose to flash, the same dialog shows the stream's progress and the printer's restart
// in place of its buttons.
class CFlashDlg : public QDialog {
    Q_OBJECT

public:
    // Control ids of the dialog's buttons; the extra buttons end the dialog with their own id.
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdExitBoot = 1060;
    static constexpr int kIdSelectFile = 1064;

    explicit CFlashDlg(const FlashDialogTexts& texts, QWidget* parent = nullptr);

    // The dialog's result (one of the ids above) as the update's choice.
    static FlashChoice ChoiceFromResult(int result);

    // The six texts shown in the fields.
    void SetTexts(const FlashDialogTexts& texts);
    // Shows the question asked with the buttons not usable, or the stream's progress in place of
    // the buttons (the dialog is shown if it is not); a Finished stage hides it.
    void ShowProgress(const FlashProgressView& progress);
    // Back to the choice: the buttons usable, no progress shown.
    void ShowChoice();

    // The window's close box and Escape: Cancel while choosing; nothing while the boot loader is
    // asked or the update runs, which cannot be stopped half-way.
    void reject() override;

private:
    enum class Mode { Choosing, Waiting };

    QLineEdit* AddField(QFormLayout* form, const char* label, int controlId, const std::string& text);
    void ShowBar(bool busy, int percent);

    std::vector<std::pair<QLineEdit*, std::string FlashDialogTexts::*>> fields_;
    QDialogButtonBox* buttons_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* progressText_ = nullptr;
    QLabel* noCancelNote_ = nullptr;
    Mode mode_ = Mode::Choosing;
};

}  // namespace varnel
