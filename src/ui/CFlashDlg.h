#pragma once

#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "flash/FlashDialogPort.h"

class QFormLayout;
class QLineEdit;
class QWidget;

namespace varnel {

// The firmware-flash dialog: what the boot loader and the boot file search found, read-only,
// and the user's choice of flashing, choosing another file, leaving boot mode or cancelling.
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

    QLineEdit* Field(int controlId) const;

private:
    void AddField(QFormLayout* form, const char* label, int controlId, const std::string& text);

    std::vector<std::pair<int, QLineEdit*>> fields_;
};

// The dialog port of the Qt application: shows CFlashDlg modally over the given window.
class QtFlashDialogPort : public FlashDialogPort {
public:
    explicit QtFlashDialogPort(QWidget* owner) : owner_(owner) {}
    FlashChoice ShowFlashDialog(const FlashDialogTexts& texts) override;

private:
    QWidget* owner_;
};

}  // namespace varnel
