#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QComboBox;
class QPushButton;

namespace varnel {

class CVarnelApp;
class DeviceSource;

// The port list: entries 0, 1, ... of `entryAt` up to the first empty name (at most 50), each
// once regardless of case, sorted.
std::vector<std::string> CollectPortList(const std::function<std::string(int)>& entryAt);
// The entry first selected: the first that begins with `portName` (any case), else 0; -1 for an
// empty list.
int InitialPortIndex(const std::vector<std::string>& ports, std::string_view portName);
// Whether the serial buttons apply to a port name: a Windows COM name, or a native serial path.
bool IsSerialPortText(std::string_view name);

// "Select Communication Port": chooses the port every printer command uses. The two serial
// buttons set the port at once and run their command; they disable Cancel, since the port they
// set stays.
class CSelectPortDlg : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(const std::string&)> setPort;
        std::function<void()> detectBaudRate;
        std::function<void()> setupSerialPort;
    };

    CSelectPortDlg(const std::vector<std::string>& ports, const std::string& portName, Actions actions,
                   QWidget* parent = nullptr);

    QComboBox* PortBox() const { return portBox_; }
    QPushButton* DetectButton() const { return detectButton_; }
    QPushButton* SetupButton() const { return setupButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }

    void accept() override;

private:
    std::string PortText() const;
    void UpdateButtons();
    void SetPortAndRun(const std::function<void()>& command);

    Actions actions_;
    QComboBox* portBox_ = nullptr;
    QPushButton* detectButton_ = nullptr;
    QPushButton* setupButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

// The Select Port command: lists the ports the system and the store know of and runs the
// dialog; the port changes through OK or the serial buttons.
void RunSelectPort(CVarnelApp& app, const DeviceSource& devices, QWidget* owner,
                   std::function<void()> detectBaudRate, std::function<void()> setupSerialPort);

}  // namespace varnel
