#pragma once

#include <QDialog>
#include <string>

#include "base/PortDialogModel.h"

class QComboBox;
class QPushButton;

namespace varnel {

// "Select Communication Port": chooses the port every printer command uses. The list and its
// rules come from the application; the dialog hands back the typed or chosen text. The two
// serial buttons act at once through the model and disable Cancel, since the port they set
// stays.
class CSelectPortDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSelectPortDlg(PortDialogModel& model, QWidget* parent = nullptr);

    // The combo box's text in the port name's bytes.
    std::string PortText() const;

private:
    void UpdateButtons();
    void RunSerialButton(SerialButton button);

    PortDialogModel& model_;
    QComboBox* portBox_ = nullptr;
    QPushButton* detectButton_ = nullptr;
    QPushButton* setupButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace varnel
