#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "io/CommConfig.h"
#include "io/CommTimeouts.h"
#include "io/PortKind.h"
#include "io/SettingsStore.h"

namespace varnel {

// Buffer sizes of the stored port settings; a stored value longer than its buffer is not taken.
inline constexpr size_t kDwordValueSize = 4;
inline constexpr size_t kExtraStringSize = 100;
inline constexpr size_t kTcpListSize = 1000;
inline constexpr uint32_t kMinimumTimeoutMs = 10;
inline constexpr int kSubstitutionPairs = 4;

// DebugMode bits.
inline constexpr uint32_t kDebugIgnoreConfigErrors = 1;
inline constexpr uint32_t kDebugQuietStatusFailure = 2;

// Handshake kinds.
inline constexpr int kHandshakeNone = 0;
inline constexpr int kHandshakeXonXoff = 1;
inline constexpr int kHandshakeHardware = 2;

// The optional byte strings sent at open and close, and the substitution pairs.
struct PortExtras {
    uint32_t DoExtra = 0;
    std::string Start;
    std::string End;
    std::array<std::string, kSubstitutionPairs> Pattern;
    std::array<std::string, kSubstitutionPairs> Conversion;
};

// The settings record every IOComm carries: built-in defaults overlaid once from the store.
struct PortSettings {
    CommTimeouts Timeouts;
    uint32_t ResetWait = 1000;
    PortKind PortType = PortKind::Device;
    uint32_t ElectronicHexDump = 0;
    uint32_t DebugMode = 0;
    uint32_t PrinterNeverBusy = 0;
    // Non-zero: a network port waits the fixed min(t, 300) ms for its output instead of until the
    // printer has acknowledged it (for printers and print servers that need the pause).
    uint32_t NetworkFixedDrain = 0;
    PortExtras Extras;
    CommConfig Config;
    int Handshake = kHandshakeNone;
    bool SaveCommSetup = true;
    bool SettingsLoaded = false;
};

// The port settings key of the store, opened. With a store there is nothing to open or close:
// the handle is the store and the key's path.
class SettingsKey {
public:
    SettingsKey(SettingsStore& store, std::string_view path) : store_(&store), path_(path) {}

    std::optional<RegValue> Get(std::string_view name) const { return store_->GetValue(path_, name); }
    // The value's bytes when it fits a buffer of `bufferSize` bytes; else none.
    std::optional<std::string> GetBytes(std::string_view name, size_t bufferSize) const;
    bool Set(std::string_view name, const RegValue& value) const { return store_->SetValue(path_, name, value); }

private:
    SettingsStore* store_;
    std::string_view path_;
};

// Handshake kind the DCB's flow-control bits describe; hardware wins over XON/XOFF.
int HandshakeFromDcb(const Dcb& dcb);

// Steps 3 to 7 of loading: time-outs (factor first, then individual values, then the 10 ms
// minimum), the numeric switches and, when "DoExtra" is set, the extra strings. Returns the
// stored "PortType" when there is one.
std::optional<PortKind> ReadNumericAndExtraSettings(const SettingsKey& key, PortSettings& settings);

// Reads "Comm Data" over the record. False when it is absent or longer than 52 bytes.
bool ReadStoredCommConfig(const SettingsKey& key, CommConfig& config);
void WriteStoredCommConfig(const SettingsKey& key, const CommConfig& config);

}  // namespace varnel
