#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/PortDialogModel.h"

namespace varnel {

// The port dialog's list and rules. The list holds the discovered names (entries 0, 1, ... up
// to the first empty one, at most 50), each once regardless of case, sorted. The port in use
// stays selected: when discovery did not find it (a pseudo-terminal, a typed network address),
// it is added to the list, so OK never changes the port unasked.
class PortChoice : public PortDialogModel {
public:
    // Runs the button's command on the port shown; the caller decides what the commands are.
    using SerialCommand =
        std::function<void(SerialButton button, const std::string& port, OperationMonitor* monitor)>;

    PortChoice(const std::function<std::string(int)>& entryAt, const std::string& currentPort, SerialCommand command);

    const std::vector<std::string>& Ports() const override { return ports_; }
    int SelectedIndex() const override { return selected_; }
    bool SerialButtonsApply(const std::string& portText) const override;
    void RunSerialButton(SerialButton button, const std::string& portText, OperationMonitor* monitor) override;

private:
    std::vector<std::string> ports_;
    int selected_ = -1;
    SerialCommand command_;
};

// Whether the serial buttons apply to a port name: one holding "COM" (case-sensitive, as port
// names write it), or a native serial path (/dev/tty..., /dev/pts/...), which holds no "COM".
bool IsSerialPortText(std::string_view name);

// Whether two names stand for the same port: equal regardless of case once the "\\.\" prefix
// and a trailing ":" are put aside (COM1, COM1: and \\.\COM1 are one port; COM10 is another).
bool NamesSamePort(std::string_view a, std::string_view b);

}  // namespace varnel
