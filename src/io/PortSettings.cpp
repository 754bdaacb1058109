#include "io/PortSettings.h"

#include <algorithm>
#include <optional>

#include "base/UserInterface.h"
#include "io/BuildCommDcb.h"
#include "io/DcbLineSettings.h"
#include "io/IOComm.h"
#include "io/PortName.h"

namespace varnel {
namespace {

// Overlays a stored number's bytes (at most four, low byte first) on `field`.
bool ReadDword(const SettingsKey& key, std::string_view name, uint32_t& field) {
    auto bytes = key.GetBytes(name, kDwordValueSize);
    if (!bytes) return false;
    for (size_t i = 0; i < bytes->size(); ++i) {
        uint32_t shift = static_cast<uint32_t>(8 * i);
        field = (field & ~(0xFFu << shift)) | (uint32_t{static_cast<uint8_t>((*bytes)[i])} << shift);
    }
    return true;
}

void ReadExtra(const SettingsKey& key, std::string_view name, std::string& field) {
    if (auto bytes = key.GetBytes(name, kExtraStringSize)) field = *bytes;
}

void ApplyTimeoutMinimum(CommTimeouts& t) {
    for (uint32_t* value : {&t.ReadIntervalTimeout, &t.ReadTotalTimeoutMultiplier, &t.ReadTotalTimeoutConstant,
                            &t.WriteTotalTimeoutMultiplier, &t.WriteTotalTimeoutConstant})
        *value = std::max(*value, kMinimumTimeoutMs);
}

constexpr std::string_view kCommDataRead = "Comm Data";
constexpr std::string_view kCommDataWritten = "Comm data";

}  // namespace

std::optional<std::string> SettingsKey::GetBytes(std::string_view name, size_t bufferSize) const {
    auto value = Get(name);
    if (!value) return std::nullopt;
    std::string bytes = value->data;
    // The registry counts a string's terminating zero in its size.
    if (value->type == RegType::String) bytes.push_back('\0');
    if (bytes.size() > bufferSize) return std::nullopt;
    return bytes;
}

int HandshakeFromDcb(const Dcb& dcb) {
    if (dcb.Has(dcb::fOutxCtsFlow)) return kHandshakeHardware;
    if (dcb.Has(dcb::fOutX)) return kHandshakeXonXoff;
    return kHandshakeNone;
}

std::optional<PortKind> ReadNumericAndExtraSettings(const SettingsKey& key, PortSettings& settings) {
    CommTimeouts& t = settings.Timeouts;
    uint32_t factor = 0;
    if (ReadDword(key, "IOTimeOutFactor", factor))
        t = CommTimeouts{factor, factor, factor, factor, factor};
    ReadDword(key, "ReadIntervalTimeout", t.ReadIntervalTimeout);
    ReadDword(key, "ReadTotalTimeoutMultiplier", t.ReadTotalTimeoutMultiplier);
    ReadDword(key, "ReadTotalTimeoutConstant", t.ReadTotalTimeoutConstant);
    ReadDword(key, "WriteTotalTimeoutMultiplier", t.WriteTotalTimeoutMultiplier);
    ReadDword(key, "WriteTotalTimeoutConstant", t.WriteTotalTimeoutConstant);

    ReadDword(key, "ResetWait", settings.ResetWait);
    std::optional<PortKind> storedType;
    uint32_t portType = static_cast<uint32_t>(settings.PortType);
    if (ReadDword(key, "PortType", portType)) {
        storedType = static_cast<PortKind>(portType);
        settings.PortType = *storedType;
    }
    ReadDword(key, "ElectronicHexDump", settings.ElectronicHexDump);
    ReadDword(key, "DebugMode", settings.DebugMode);
    ReadDword(key, "PrinterNeverBusy", settings.PrinterNeverBusy);
    ReadDword(key, "NetworkFixedDrain", settings.NetworkFixedDrain);
    ApplyTimeoutMinimum(t);

    PortExtras& extras = settings.Extras;
    uint32_t doExtra = 0;
    if (!ReadDword(key, "DoExtra", doExtra)) return storedType;
    extras.DoExtra = doExtra;
    if (doExtra == 0) return storedType;
    ReadExtra(key, "Start", extras.Start);
    ReadExtra(key, "End", extras.End);
    for (int i = 0; i < kSubstitutionPairs; ++i) {
        std::string number = std::to_string(i + 1);
        ReadExtra(key, "Pattern" + number, extras.Pattern[i]);
        ReadExtra(key, "Conversion" + number, extras.Conversion[i]);
    }
    return storedType;
}

bool ReadStoredCommConfig(const SettingsKey& key, CommConfig& config) {
    auto bytes = key.GetBytes(kCommDataRead, CommConfig::kSize);
    if (!bytes) return false;
    config.Overlay(*bytes);
    return true;
}

void WriteStoredCommConfig(const SettingsKey& key, const CommConfig& config) {
    key.Set(kCommDataWritten, RegValue::Binary(config.ToBytes()));
}

SettingsKey IOComm::OpenSettingsKey() { return SettingsKey(store_, kPortSettingsKey); }

int IOComm::LoadSettings() {
    SettingsKey key = OpenSettingsKey();
    settings_.PortType = ClassifyPortName(portName_);
    settings_.SettingsLoaded = true;
    ReadNumericAndExtraSettings(key, settings_);
    if (!ReadStoredCommConfig(key, settings_.Config) && settings_.PortType == PortKind::Serial) PortSetup(nullptr);
    settings_.Handshake = HandshakeFromDcb(settings_.Config.dcb);
    return 1;
}

int IOComm::PortSetup(UserInterface* window) {
    if (settings_.PortType != PortKind::Serial) return 0;
    SettingsKey key = OpenSettingsKey();
    if (!settings_.SettingsLoaded) LoadSettings();
    bool openedHere = false;
    if (!IsOpen()) openedHere = Open() != 0;

    std::string name = portName_;
    if (!name.empty() && name.front() == '\\') name.erase(0, kDevicePrefix.size());
    if (!name.empty() && name.back() == ':') name.pop_back();

    if (auto platformDefault = backend_->DefaultConfig(DevicePathForPort(name, store_)))
        settings_.Config = *platformDefault;
    ReadStoredCommConfig(key, settings_.Config);
    if (!commString_.empty()) {
        BuildCommDcb(commString_, settings_.Config.dcb);
    } else if (UserInterface* owner = window ? window : ui_) {
        if (std::optional<SerialLineSettings> chosen = owner->EditSerialLine(name, LineSettingsOf(settings_.Config.dcb)))
            ApplyLineSettings(settings_.Config.dcb, *chosen);
    }
    if (settings_.SaveCommSetup) WriteStoredCommConfig(key, settings_.Config);
    if (IsOpen()) backend_->SetConfig(settings_.Config);
    settings_.Handshake = HandshakeFromDcb(settings_.Config.dcb);
    if (openedHere) Close();
    return 1;
}

}  // namespace varnel
