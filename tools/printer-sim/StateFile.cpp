#include "StateFile.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "HexText.h"
#include "SimNumbers.h"

namespace varnel::sim {
namespace {

// Keeps the members in the order written, so the file reads format, version, firmware, tables,
// texts, files.
using Json = nlohmann::ordered_json;

constexpr std::string_view kFormat = "varnel-printer-sim state";
constexpr int kVersion = 1;
constexpr int kIndent = 2;
constexpr unsigned char kLastByteCharacter = 0xFF;
constexpr unsigned char kLeadOf80 = 0xC2, kLeadOfC0 = 0xC3;

// Texts are bytes. In the file byte XX is the character U+00XX, written as "\u00XX" when it is
// not printable ASCII, so any 8-bit text round-trips while the file stays plain ASCII. A file
// is read the same way: a byte above 7F typed into it by hand is that byte.
std::string BytesAsCharacters(std::string_view bytes) {
    std::string utf8;
    for (unsigned char byte : bytes) {
        if (byte < 0x80) {
            utf8 += static_cast<char>(byte);
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

// The bytes back from the parsed text (UTF-8); nothing when it holds a character above U+00FF.
std::optional<std::string> CharactersAsBytes(const std::string& utf8) {
    std::string bytes;
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        const auto first = static_cast<unsigned char>(utf8[at]);
        if (first < 0x80) {
            bytes += static_cast<char>(first);
            continue;
        }
        // The parser hands over valid UTF-8 only: U+0080..U+00FF are the two-byte forms led by C2
        // and C3; any other lead starts a character no byte stands for.
        if ((first != kLeadOf80 && first != kLeadOfC0) || at + 1 >= utf8.size()) return std::nullopt;
        const auto next = static_cast<unsigned char>(utf8[++at]);
        bytes += static_cast<char>(((first & 0x03) << 6) | (next & 0x3F));
    }
    return bytes;
}

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

bool IsByte(const Json& value) {
    if (!value.is_number()) return false;
    const double number = value.get<double>();
    return number >= 0 && number <= kLastByteCharacter && number == std::floor(number);
}

// A text member as bytes; nothing when it is not a text or holds a character no byte stands for.
std::optional<std::string> BytesOf(const Json& value) {
    if (!value.is_string()) return std::nullopt;
    return CharactersAsBytes(value.get_ref<const std::string&>());
}

const Json* Member(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

bool ReadTable(const std::string& key, const Json& value, PrinterMemory& memory, std::string& error) {
    const auto table = TableKey(key, PrinterMemory::kTableCount - 1);
    if (!table) return error = "table \"" + key + "\" is not 0 to 15", false;
    if (value.is_string()) {
        const auto bytes = FromHex(value.get_ref<const std::string&>());
        if (!bytes || bytes->size() > PrinterMemory::kTableSize)
            return error = "table " + key + " is not up to 256 hex bytes", false;
        for (std::size_t offset = 0; offset < bytes->size(); ++offset)
            memory.MaskedWrite(*table, static_cast<int>(offset), 0xFF, static_cast<std::uint8_t>((*bytes)[offset]));
        return true;
    }
    if (!value.is_object()) return error = "table " + key + " is neither hex nor an object", false;
    for (const auto& [offsetKey, byte] : value.items()) {
        const auto offset = TableKey(offsetKey, PrinterMemory::kTableSize - 1);
        if (!offset || !IsByte(byte)) return error = "table " + key + " offset \"" + offsetKey + "\" is bad", false;
        memory.MaskedWrite(*table, *offset, 0xFF, static_cast<std::uint8_t>(byte.get<double>()));
    }
    return true;
}

bool ReadFiles(const Json& files, FileStore& store, std::string& error) {
    if (!files.is_array()) return error = "\"files\" is not a list", false;
    for (const Json& file : files) {
        const Json* nameValue = file.is_object() ? Member(file, "name") : nullptr;
        const Json* dataValue = file.is_object() ? Member(file, "data") : nullptr;
        const auto name = nameValue ? BytesOf(*nameValue) : std::nullopt;
        if (!name || name->empty() || !dataValue || !dataValue->is_string())
            return error = "a file needs a \"name\" and hex \"data\"", false;
        const auto bytes = FromHex(dataValue->get_ref<const std::string&>());
        if (!bytes) return error = "file " + *name + " has bad hex data", false;
        store.Put(*name, *bytes);
    }
    return true;
}

bool ReadState(const Json& root, PrinterState& state, std::string& error) {
    if (!root.is_object()) return error = "not a JSON object", false;
    const Json* format = Member(root, "format");
    if (!format || *format != kFormat) return error = "not a varnel-printer-sim state", false;
    const Json* version = Member(root, "version");
    if (!version || !version->is_number() || version->get<double>() != kVersion)
        return error = "unknown state version", false;
    if (const Json* firmware = Member(root, "firmware")) {
        const auto text = BytesOf(*firmware);
        if (!text) return error = "\"firmware\" is not a text of bytes", false;
        state.memory.SetFirmware(*text);
    }
    if (const Json* tables = Member(root, "tables")) {
        if (!tables->is_object()) return error = "\"tables\" is not an object", false;
        for (const auto& [key, value] : tables->items())
            if (!ReadTable(key, value, state.memory, error)) return false;
    }
    if (const Json* texts = Member(root, "texts")) {
        if (!texts->is_object()) return error = "\"texts\" is not an object", false;
        for (const auto& [key, value] : texts->items()) {
            const auto table = TableKey(key, kLastByteCharacter);
            const auto text = BytesOf(value);
            if (!table || !text) return error = "text \"" + key + "\" is bad (bytes 00 to FF only)", false;
            state.memory.SetText(*table, *text);
        }
    }
    if (const Json* files = Member(root, "files"))
        if (!ReadFiles(*files, state.files, error)) return false;
    return true;
}

}  // namespace

std::string StateToJson(const PrinterState& state) {
    Json tables = Json::object();
    for (int table = 0; table < PrinterMemory::kTableCount; ++table) {
        const std::string hex = TableHex(state.memory.TableBytes(table));
        if (!hex.empty()) tables[std::to_string(table)] = hex;
    }
    Json texts = Json::object();
    for (const auto& [table, text] : state.memory.Texts()) texts[std::to_string(table)] = BytesAsCharacters(text);
    Json files = Json::array();
    for (const auto& [name, data] : state.files.Files())
        files.push_back({{"name", BytesAsCharacters(name)}, {"data", ToHex(data)}});
    const Json root = {{"format", kFormat},
                       {"version", kVersion},
                       {"firmware", BytesAsCharacters(state.memory.Firmware())},
                       {"tables", tables},
                       {"texts", texts},
                       {"files", files}};
    constexpr bool kAsciiOnly = true;
    return root.dump(kIndent, ' ', kAsciiOnly) + "\n";
}

bool StateFromJson(const std::string& text, PrinterState& state, std::string& error) {
    Json root;
    try {
        root = Json::parse(BytesAsCharacters(text));
    } catch (const Json::parse_error& problem) {
        error = problem.what();
        return false;
    }
    PrinterState loaded;
    if (!ReadState(root, loaded, error)) return false;
    state = std::move(loaded);
    return true;
}

}  // namespace varnel::sim
