#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "io/SettingsStore.h"

namespace varnel::test {

// A settings store held in memory, with the same case rules as the file store.
class MemorySettingsStore : public SettingsStore {
public:
    std::optional<RegValue> GetValue(std::string_view key, std::string_view name) const override;
    bool SetValue(std::string_view key, std::string_view name, const RegValue& value) override;
    std::vector<std::string> SubKeys(std::string_view key) const override;
    std::vector<std::string> ValueNames(std::string_view key) const override;

    bool writable = true;
    int writes = 0;

private:
    struct Key {
        std::string name;
        std::vector<std::pair<std::string, RegValue>> values;
    };
    const Key* Find(std::string_view key) const;
    std::vector<Key> keys_;
};

}  // namespace varnel::test
