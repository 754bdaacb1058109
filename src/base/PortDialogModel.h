#pragma once

#include <string>
#include <vector>

namespace varnel {

class OperationMonitor;

// The two buttons of the port dialog that act at once, while the dialog stays open.
enum class SerialButton { DetectBaudRate, SetupSerialPort };

// What the port dialog shows and what its serial buttons do, prepared by the application: the
// dialog only lists, asks and hands the typed or chosen text back.
class PortDialogModel {
public:
    virtual ~PortDialogModel() = default;

    // The names listed, in the order shown.
    virtual const std::vector<std::string>& Ports() const = 0;
    // The entry selected when the dialog opens; -1 for none.
    virtual int SelectedIndex() const = 0;
    // Whether "Detect baud rate." and "Setup serial port." apply to the port text shown.
    virtual bool SerialButtonsApply(const std::string& portText) const = 0;
    // A serial button: the button's command runs on the port `portText`. The port in use stays
    // as it was; only OK changes it. `monitor`, when given, gets the command's progress and tells
    // it of a Cancel while it runs; the dialog then runs it on a thread of its own, beside the
    // dialog, and touches nothing of the application until it has ended.
    virtual void RunSerialButton(SerialButton button, const std::string& portText, OperationMonitor* monitor) = 0;
};

}  // namespace varnel
