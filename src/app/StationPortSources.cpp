#include "app/StationPortSources.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/PortChoice.h"
#include "io/FileSettingsStore.h"
#include "io/PortDiscovery.h"
#include "io/UdevDeviceSource.h"

namespace varnel {
namespace {

constexpr char kComment = '#';
constexpr const char* kBlanks = " \t\r";

}  // namespace

std::vector<std::string> DiscoveredPorts::Ports() {
    // A new device source each time: it enumerates once, and plugged-in printers must show.
    const UdevDeviceSource devices;
    const FileSettingsStore store(DefaultSettingsPath());
    std::vector<std::string> ports;
    for (int position = 0; position < kMaxPortListNames; ++position) {
        std::string port = GetPortListEntry(position, devices, store);
        if (port.empty()) break;
        // As the port dialog lists them: a port named twice (COM7 and COM7:) once.
        const bool known = std::any_of(ports.begin(), ports.end(),
                                       [&](const std::string& other) { return NamesSamePort(other, port); });
        if (!known) ports.push_back(std::move(port));
    }
    return ports;
}

std::vector<std::string> PortListFile::Ports() {
    std::ifstream in(path_, std::ios::binary);
    if (!in) return {};
    return PortListText(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

std::vector<std::string> PortListText(const std::string& text) {
    std::vector<std::string> ports;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        line = line.substr(0, line.find(kComment));
        const size_t first = line.find_first_not_of(kBlanks);
        if (first == std::string::npos) continue;
        ports.push_back(line.substr(first, line.find_last_not_of(kBlanks) - first + 1));
    }
    return ports;
}

}  // namespace varnel
