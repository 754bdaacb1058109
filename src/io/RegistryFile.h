#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "io/SettingsStore.h"

namespace varnel {

// A key name that a registry file can hold and read back as the same key: not empty, no empty
// path step, no line break, and not taken for a deletion ("[-key]").
bool IsUsableKeyName(std::string_view key);

// The keys and values of a registry-export file, in the order they were first written. The
// default value of a key ("@" in the file) has the empty name. Key and value names compare
// without regard to ASCII case, as the registry's do.
class RegistryDocument {
public:
    struct Entry {
        std::string name;
        RegValue value;
    };
    struct Key {
        std::string name;
        std::vector<Entry> values;
    };

    const std::vector<Key>& keys() const { return keys_; }

    const RegValue* FindValue(std::string_view key, std::string_view name) const;
    std::vector<std::string> SubKeys(std::string_view key) const;
    std::vector<std::string> ValueNames(std::string_view key) const;

    // Creates the key when it is not there; a new key takes the case of the parents already
    // present.
    Key& AddKey(std::string_view key);
    // Creates the key when needed. Returns false when the value was already stored exactly so.
    bool SetValue(std::string_view key, std::string_view name, const RegValue& value);
    // The deletions a registry export can express: "[-key]" and "name"=-.
    void DeleteKey(std::string_view key);
    void DeleteValue(std::string_view key, std::string_view name);

private:
    const Key* FindKey(std::string_view key) const;
    std::string CaseOfExistingParents(std::string_view key) const;

    std::vector<Key> keys_;
};

struct RegistryParseResult {
    RegistryDocument document;
    // False when some of the text was not understood; `document` then holds the rest.
    bool complete = true;
    int problemLine = 0;  // 1-based line of the first problem
    std::string problem;
};

// Reads a registry export: a "REGEDIT4" or "Windows Registry Editor Version 5.00" header, LF or
// CR LF line ends, 8-bit text or UTF-16LE with its byte order mark (turned into UTF-8).
RegistryParseResult ParseRegistryText(std::string_view text);

// Writes the "REGEDIT4" form, lines ended by LF, binary values wrapped as regedit wraps them.
std::string SerialiseRegistry(const RegistryDocument& document);

}  // namespace varnel
