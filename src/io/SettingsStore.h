#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// Registry keys the program uses, spelled as a registry export spells them.
inline constexpr std::string_view kPortSettingsKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG";
inline constexpr std::string_view kDevicesKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG\\Devices";
inline constexpr std::string_view kTcpMonitorPortsKey =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports";

enum class RegType { String, Dword, Binary };

// A value as the registry holds it. `data` is the raw bytes: a string without terminator, a
// dword as 4 bytes low byte first, binary as it is.
struct RegValue {
    RegType type = RegType::Binary;
    std::string data;

    static RegValue String(std::string text) { return {RegType::String, std::move(text)}; }
    static RegValue Dword(uint32_t value);
    static RegValue Binary(std::string bytes) { return {RegType::Binary, std::move(bytes)}; }
    // The dword's value; a value of another type or size has none.
    std::optional<uint32_t> AsDword() const;
};

// The persistent store of named values that stands in for the registry. Key and value names
// compare without regard to case.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<RegValue> GetValue(std::string_view key, std::string_view name) const = 0;
    // Creates the key when needed. Returns false when the store could not be written (the
    // caller ignores it, as failed registry writes are ignored).
    virtual bool SetValue(std::string_view key, std::string_view name, const RegValue& value) = 0;
    // Names of the direct sub-keys of `key`, in the order they were first written.
    virtual std::vector<std::string> SubKeys(std::string_view key) const = 0;
    // Value names of `key`, in the order they were first written.
    virtual std::vector<std::string> ValueNames(std::string_view key) const = 0;
};

}  // namespace varnel
