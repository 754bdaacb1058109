#include "StateFile.h"

#include <cmath>

#include "HexText.h"
#include "Json.h"
#include "SimNumbers.h"

namespace varnel::sim {
namespace {

constexpr std::string_view kFormat = "varnel-printer-sim state";
constexpr int kVersion = 1;

std::string TableHex(const PrinterMemory::Table& table) {
    std::size_t used = table.size();
    while (used > 0 && table[used - 1] == 0) --used;
    return ToHex(std::string_view(reinterpret_cast<const char*>(table.data()), used));
}

std::optional<int> TableKey(const std::string& key, int high) {
    const auto number = StrictInt(key, 0, high);
    if (!number) return std::nullopt;
    return static_cast<int>(*number);
}

bool IsByte(const JsonValue& value) {
    return value.Is(JsonValue::Type::Number) && value.number >= 0 && value.number <= 255 &&
           value.number == std::floor(value.number);
}

bool ReadTable(const std::string& key, const JsonValue& value, PrinterMemory& memory, std::string& error) {
    const auto table = TableKey(key, PrinterMemory::kTableCount - 1);
    if (!table) return error = "table \"" + key + "\" is not 0 to 15", false;
    if (value.Is(JsonValue::Type::String)) {
        const auto bytes = FromHex(value.text);
        if (!bytes || bytes->size() > PrinterMemory::kTableSize)
            return error = "table " + key + " is not up to 256 hex bytes", false;
        for (std::size_t offset = 0; offset < bytes->size(); ++offset)
            memory.MaskedWrite(*table, static_cast<int>(offset), 0xFF, static_cast<std::uint8_t>((*bytes)[offset]));
        return true;
    }
    if (!value.Is(JsonValue::Type::Object)) return error = "table " + key + " is neither hex nor an object", false;
    for (const auto& [offsetKey, byte] : value.members) {
        const auto offset = TableKey(offsetKey, PrinterMemory::kTableSize - 1);
        if (!offset || !IsByte(byte)) return error = "table " + key + " offset \"" + offsetKey + "\" is bad", false;
        memory.MaskedWrite(*table, *offset, 0xFF, static_cast<std::uint8_t>(byte.number));
    }
    return true;
}

bool ReadFiles(const JsonValue& files, FileStore& store, std::string& error) {
    if (!files.Is(JsonValue::Type::Array)) return error = "\"files\" is not a list", false;
    for (const JsonValue& file : files.items) {
        const JsonValue* name = file.Find("name");
        const JsonValue* data = file.Find("data");
        if (!name || !name->Is(JsonValue::Type::String) || name->text.empty() || !data ||
            !data->Is(JsonValue::Type::String))
            return error = "a file needs a \"name\" and hex \"data\"", false;
        const auto bytes = FromHex(data->text);
        if (!bytes) return error = "file " + name->text + " has bad hex data", false;
        store.Put(name->text, *bytes);
    }
    return true;
}

bool ReadState(const JsonValue& root, PrinterState& state, std::string& error) {
    if (!root.Is(JsonValue::Type::Object)) return error = "not a JSON object", false;
    const JsonValue* format = root.Find("format");
    if (!format || format->text != kFormat) return error = "not a varnel-printer-sim state", false;
    const JsonValue* version = root.Find("version");
    if (!version || version->number != kVersion) return error = "unknown state version", false;
    if (const JsonValue* firmware = root.Find("firmware")) {
        if (!firmware->Is(JsonValue::Type::String)) return error = "\"firmware\" is not a text", false;
        state.memory.SetFirmware(firmware->text);
    }
    if (const JsonValue* tables = root.Find("tables")) {
        if (!tables->Is(JsonValue::Type::Object)) return error = "\"tables\" is not an object", false;
        for (const auto& [key, value] : tables->members)
            if (!ReadTable(key, value, state.memory, error)) return false;
    }
    if (const JsonValue* texts = root.Find("texts")) {
        if (!texts->Is(JsonValue::Type::Object)) return error = "\"texts\" is not an object", false;
        for (const auto& [key, value] : texts->members) {
            const auto table = TableKey(key, 255);
            if (!table || !value.Is(JsonValue::Type::String)) return error = "text \"" + key + "\" is bad", false;
            state.memory.SetText(*table, value.text);
        }
    }
    if (const JsonValue* files = root.Find("files"))
        if (!ReadFiles(*files, state.files, error)) return false;
    return true;
}

}  // namespace

std::string StateToJson(const PrinterState& state) {
    std::string out = "{\n  \"format\": " + JsonQuote(kFormat) + ",\n  \"version\": " + std::to_string(kVersion) +
                      ",\n  \"firmware\": " + JsonQuote(state.memory.Firmware()) + ",\n  \"tables\": {";
    const char* separator = "\n";
    for (int table = 0; table < PrinterMemory::kTableCount; ++table) {
        const std::string hex = TableHex(state.memory.TableBytes(table));
        if (hex.empty()) continue;
        out += separator + std::string("    \"") + std::to_string(table) + "\": " + JsonQuote(hex);
        separator = ",\n";
    }
    out += "\n  },\n  \"texts\": {";
    separator = "\n";
    for (const auto& [table, text] : state.memory.Texts()) {
        out += separator + std::string("    \"") + std::to_string(table) + "\": " + JsonQuote(text);
        separator = ",\n";
    }
    out += "\n  },\n  \"files\": [";
    separator = "\n";
    for (const auto& [name, data] : state.files.Files()) {
        out += separator + std::string("    { \"name\": ") + JsonQuote(name) + ", \"data\": " + JsonQuote(ToHex(data)) +
               " }";
        separator = ",\n";
    }
    return out + "\n  ]\n}\n";
}

bool StateFromJson(const std::string& text, PrinterState& state, std::string& error) {
    const auto root = ParseJson(text, error);
    if (!root) return false;
    PrinterState loaded;
    if (!ReadState(*root, loaded, error)) return false;
    state = std::move(loaded);
    return true;
}

}  // namespace varnel::sim
