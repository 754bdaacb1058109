#pragma once

#include <iosfwd>
#include <string>

#include "io/RegistryFile.h"
#include "io/SettingsStore.h"

namespace varnel {

// Where the store lives: $VARNEL_SETTINGS when set, else $XDG_CONFIG_HOME/pellam/registry.reg,
// else ~/.config/pellam/registry.reg.
std::string DefaultSettingsPath();

// The settings store as one registry-export file shared by every run of the program. Reads see
// the file as it is now; every change is a locked read-modify-write that replaces the file
// atomically, so runs at the same time and a crash mid-write lose nothing. A file that does not
// parse is never written: the store then serves what it could read and refuses changes.
class FileSettingsStore : public SettingsStore {
public:
    // `warnings` receives the one-line notice that the store is read-only (standard error by
    // default).
    explicit FileSettingsStore(std::string path, std::ostream* warnings = nullptr);

    std::optional<RegValue> GetValue(std::string_view key, std::string_view name) const override;
    bool SetValue(std::string_view key, std::string_view name, const RegValue& value) override;
    std::vector<std::string> SubKeys(std::string_view key) const override;
    std::vector<std::string> ValueNames(std::string_view key) const override;

    const std::string& path() const { return path_; }

private:
    // The file as it is now (what could be read of it, when it does not parse).
    RegistryDocument Current() const;
    void WarnReadOnly(const std::string& why) const;

    std::string path_;
    std::ostream* warnings_;
    mutable bool warned_ = false;
};

}  // namespace varnel
