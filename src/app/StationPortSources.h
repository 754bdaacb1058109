#pragma once

#include <string>
#include <vector>

#include "app/PortWatcher.h"

namespace varnel {

// The ports the port dialog offers: the system's printer ports and the maker's USB serial
// interfaces (asked afresh at every look, so a printer plugged in shows up) and the stored
// network addresses.
class DiscoveredPorts : public PortSource {
public:
    std::vector<std::string> Ports() override;
};

// The port names of a text file, one a line ("#" starts a comment, blanks around a name are
// dropped): network printers, or any port a line's own tooling knows of. A missing file lists
// none.
class PortListFile : public PortSource {
public:
    explicit PortListFile(std::string path) : path_(std::move(path)) {}
    std::vector<std::string> Ports() override;

private:
    std::string path_;
};

// The port names of a port list file's text.
std::vector<std::string> PortListText(const std::string& text);

}  // namespace varnel
