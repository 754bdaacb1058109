#pragma once

#include <QDialog>
#include <exception>
#include <string>

#include "base/PortDialogModel.h"

class QComboBox;
class QPushButton;

namespace varnel {

class OperationStatus;

// "Select Communication Port": chooses the port every printer command uses. The list and its
// rules come from the application; the dialog hands back the typed or chosen text. The two
// serial buttons act at once through the model, on the port shown. The baud rate detection runs
// beside the dialog, which keeps answering, shows the rate tried and offers a Cancel; the dialog
// cannot be closed until it has ended.
class CSelectPortDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSelectPortDlg(PortDialogModel& model, QWidget* parent = nullptr);

    // The combo box's text in the port name's bytes.
    std::string PortText() const;
    // The detection's running operation (hidden while none runs).
    OperationStatus* operationStatus() const { return operationStatus_; }

    // A failure a serial button's command threw closes the dialog; thrown again here, after the
    // dialog's loop, on the way out of the command that showed it.
    void RethrowFailure();

    // Nothing closes the dialog while the detection runs; Escape and the close box cancel it then.
    void done(int result) override;
    void reject() override;

private:
    void UpdateButtons();
    void RunSerialButton(SerialButton button);
    void DetectBaudRateBeside();
    void SetDetecting(bool detecting);

    PortDialogModel& model_;
    QComboBox* portBox_ = nullptr;
    QPushButton* detectButton_ = nullptr;
    QPushButton* setupButton_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    OperationStatus* operationStatus_ = nullptr;
    bool detecting_ = false;
    std::exception_ptr failure_;
};

}  // namespace varnel
