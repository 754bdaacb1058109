#include "app/PortFileName.h"

namespace varnel {
namespace {

constexpr std::string_view kDevicePrefix = "/dev/";
constexpr char kReplacement = '_';

bool IsSafe(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == kReplacement;
}

}  // namespace

std::string SafePortName(std::string_view port) {
    if (port.starts_with(kDevicePrefix) && port.size() > kDevicePrefix.size()) port.remove_prefix(kDevicePrefix.size());
    std::string name;
    for (char c : port) name += IsSafe(c) ? c : kReplacement;
    // A leading dot would hide the folder, and "." or ".." would name another one.
    if (name.empty() || name.front() == '.') name.insert(name.begin(), kReplacement);
    return name;
}

}  // namespace varnel
