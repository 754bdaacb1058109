#include "app/PortChoice.h"

#include <algorithm>

#include "base/AsciiText.h"
#include "io/PortDiscovery.h"
#include "io/PortName.h"

namespace varnel {
namespace {

constexpr std::string_view kComName = "COM";

std::vector<std::string> CollectPorts(const std::function<std::string(int)>& entryAt) {
    std::vector<std::string> ports;
    for (int position = 0; position < kMaxPortListNames; ++position) {
        std::string name = entryAt(position);
        if (name.empty()) break;
        bool held = std::any_of(ports.begin(), ports.end(), [&](const std::string& p) { return EqualsIgnoreCase(p, name); });
        if (!held) ports.push_back(std::move(name));
    }
    std::stable_sort(ports.begin(), ports.end(), LessIgnoreCase);
    return ports;
}

int IndexWhere(const std::vector<std::string>& ports, const std::function<bool(const std::string&)>& match) {
    auto found = std::find_if(ports.begin(), ports.end(), match);
    return found == ports.end() ? -1 : static_cast<int>(found - ports.begin());
}

}  // namespace

bool IsSerialPortText(std::string_view name) {
    if (name.find(kComName) != std::string_view::npos) return true;
    return IsNativePath(name) && ClassifyPortName(name) == PortKind::Serial;
}

bool NamesSamePort(std::string_view a, std::string_view b) { return EqualsIgnoreCase(BarePortName(a), BarePortName(b)); }

PortChoice::PortChoice(const std::function<std::string(int)>& entryAt, const std::string& currentPort,
                       SerialCommand command)
    : ports_(CollectPorts(entryAt)), command_(std::move(command)) {
    if (currentPort.empty()) {
        // No port in use: nothing to keep, the first entry is offered.
        selected_ = ports_.empty() ? -1 : 0;
        return;
    }
    selected_ = IndexWhere(ports_, [&](const std::string& p) { return EqualsIgnoreCase(p, currentPort); });
    if (selected_ < 0)
        selected_ = IndexWhere(ports_, [&](const std::string& p) { return NamesSamePort(p, currentPort); });
    if (selected_ >= 0) return;
    auto at = std::upper_bound(ports_.begin(), ports_.end(), currentPort,
                               [](const std::string& a, const std::string& b) { return LessIgnoreCase(a, b); });
    at = ports_.insert(at, currentPort);
    selected_ = static_cast<int>(at - ports_.begin());
}

bool PortChoice::SerialButtonsApply(const std::string& portText) const { return IsSerialPortText(portText); }

void PortChoice::RunSerialButton(SerialButton button, const std::string& portText, OperationMonitor* monitor) {
    if (command_) command_(button, portText, monitor);
}

}  // namespace varnel
