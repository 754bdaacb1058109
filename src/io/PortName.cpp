#include "io/PortName.h"

#include <cctype>

#include "base/AsciiText.h"
#include "base/TextNumbers.h"
#include "io/SettingsStore.h"

namespace varnel {
namespace {

constexpr size_t kParallelNameLimit = 5;
constexpr size_t kNetworkNameMinimum = 11;  // longer than 10 characters

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

PortKind ClassifyNativePath(std::string_view name) {
    for (std::string_view serial : {"/dev/tty", "/dev/pts/", "/dev/serial/", "/dev/rfcomm"})
        if (StartsWith(name, serial)) return PortKind::Serial;
    for (std::string_view parallel : {"/dev/lp", "/dev/parport"})
        if (StartsWith(name, parallel)) return PortKind::Parallel;
    return PortKind::Device;
}

// "COM12" with prefix "COM" -> 12; no digits after the prefix, or anything after them -> -1.
int NumberAfter(std::string_view name, std::string_view prefix) {
    if (!StartsWithIgnoreCase(name, prefix) || name.size() == prefix.size()) return -1;
    std::string_view digits = name.substr(prefix.size());
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    return AtoI(digits);
}

}  // namespace

bool IsNativePath(std::string_view name) { return !name.empty() && name.front() == '/'; }

PortKind ClassifyPortName(std::string_view name) {
    if (IsNativePath(name)) return ClassifyNativePath(name);
    PortKind kind = PortKind::Device;
    if (StartsWithIgnoreCase(name, "COM")) kind = PortKind::Serial;
    if (StartsWithIgnoreCase(name, "\\\\.\\C")) kind = PortKind::Serial;
    if (StartsWithIgnoreCase(name, "LPT") && name.size() <= kParallelNameLimit) kind = PortKind::Parallel;
    if (name.find('.') != std::string_view::npos && name.size() >= kNetworkNameMinimum) kind = PortKind::Network;
    if (name.find(':') != std::string_view::npos && name.size() >= kNetworkNameMinimum) kind = PortKind::Network;
    return kind;
}

std::string FixSerialName(std::string_view name) {
    if (IsNativePath(name)) return std::string(name);
    // A name that already carries the device prefix is cut after it, not inside it.
    const bool prefixed = StartsWith(name, kDevicePrefix);
    if (prefixed) name.remove_prefix(kDevicePrefix.size());
    std::string fixed(name.substr(0, kSerialNameLimit));
    if (prefixed || fixed.empty() || fixed.front() != '\\') fixed = std::string(kDevicePrefix) + fixed;
    if (fixed.back() == ':') fixed.pop_back();
    return fixed;
}

std::string BarePortName(std::string_view name) {
    if (StartsWith(name, kDevicePrefix)) name.remove_prefix(kDevicePrefix.size());
    if (!name.empty() && name.back() == ':') name.remove_suffix(1);
    return std::string(name);
}

std::string DevicePathForPort(std::string_view name, const SettingsStore& store) {
    if (IsNativePath(name)) return std::string(name);
    std::string bare = BarePortName(name);
    if (auto mapped = store.GetValue(kDevicesKey, bare); mapped && mapped->type == RegType::String && !mapped->data.empty())
        return mapped->data;
    if (int n = NumberAfter(bare, "COM"); n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
    if (int n = NumberAfter(bare, "LPT"); n >= 1) return "/dev/lp" + std::to_string(n - 1);
    if (int n = NumberAfter(bare, "USB"); n >= 1) return "/dev/usb/lp" + std::to_string(n - 1);
    return bare;
}

}  // namespace varnel
