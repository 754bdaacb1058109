#include "support/MemorySettingsStore.h"

#include <algorithm>

#include "base/AsciiText.h"

namespace varnel::test {

const MemorySettingsStore::Key* MemorySettingsStore::Find(std::string_view key) const {
    for (const Key& k : keys_)
        if (EqualsIgnoreCase(k.name, key)) return &k;
    return nullptr;
}

std::optional<RegValue> MemorySettingsStore::GetValue(std::string_view key, std::string_view name) const {
    const Key* k = Find(key);
    if (!k) return std::nullopt;
    for (const auto& [valueName, value] : k->values)
        if (EqualsIgnoreCase(valueName, name)) return value;
    return std::nullopt;
}

bool MemorySettingsStore::SetValue(std::string_view key, std::string_view name, const RegValue& value) {
    if (!writable) return false;
    ++writes;
    Key* k = const_cast<Key*>(Find(key));
    if (!k) {
        keys_.push_back(Key{std::string(key), {}});
        k = &keys_.back();
    }
    for (auto& [valueName, stored] : k->values) {
        if (EqualsIgnoreCase(valueName, name)) {
            stored = value;
            return true;
        }
    }
    k->values.emplace_back(std::string(name), value);
    return true;
}


std::vector<std::string> MemorySettingsStore::SubKeys(std::string_view key) const {
    std::vector<std::string> out;
    for (const Key& k : keys_) {
        if (k.name.size() <= key.size() + 1 || k.name[key.size()] != '\\') continue;
        if (!StartsWithIgnoreCase(k.name, key)) continue;
        std::string rest = k.name.substr(key.size() + 1);
        if (rest.find('\\') != std::string::npos) continue;
        out.push_back(rest);
    }
    return out;
}

std::vector<std::string> MemorySettingsStore::ValueNames(std::string_view key) const {
    std::vector<std::string> out;
    if (const Key* k = Find(key))
        for (const auto& [valueName, value] : k->values) out.push_back(valueName);
    return out;
}

}  // namespace varnel::test
