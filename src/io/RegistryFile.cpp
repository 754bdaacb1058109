#include "io/RegistryFile.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "base/AsciiText.h"
#include "base/Utf8.h"

namespace varnel {

namespace {

constexpr std::string_view kHeaderRegedit4 = "REGEDIT4";
constexpr std::string_view kHeaderVersion5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kDwordPrefix = "dword:";
constexpr std::string_view kHexPrefix = "hex";
constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::size_t kMaxDwordDigits = 8;
constexpr std::size_t kMaxTypeDigits = 8;
// regedit keeps the hex lines of a binary value within 80 columns, backslash included.
constexpr std::size_t kHexLineWidth = 77;
constexpr std::string_view kHexContinuation = "\\\n";
constexpr std::string_view kHexIndent = "  ";
constexpr char kDigits[] = "0123456789abcdef";

// `name` lies below `key` in the key tree.
bool IsBelow(std::string_view name, std::string_view key) {
    return name.size() > key.size() + 1 && name[key.size()] == '\\' && StartsWithIgnoreCase(name, key);
}

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = ToLowerAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// 1 to maxDigits hex digits and nothing else.
std::optional<uint32_t> ParseHexNumber(std::string_view digits, std::size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0) return std::nullopt;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

// regedit saves Version 5.00 exports as UTF-16LE; the store itself is 8-bit text.
std::string Utf16LeToUtf8(std::string_view bytes) {
    constexpr uint32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unitAt = [&](std::size_t i) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) |
               (static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const uint32_t unit = unitAt(i);
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && i + 3 < bytes.size()) {
            const uint32_t next = unitAt(i + 2);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (high || low) ? kReplacement : unit);
    }
    return out;
}

std::string DecodeFileText(std::string_view raw) {
    if (raw.starts_with(kUtf16LeBom)) return Utf16LeToUtf8(raw.substr(kUtf16LeBom.size()));
    if (raw.starts_with(kUtf8Bom)) raw.remove_prefix(kUtf8Bom.size());
    return std::string(raw);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// A quoted name or string starting at text[pos] == '"'. Besides \" and \\ it understands \n, \r
// and \0, which the writer uses so that no byte of a value can break a line; any other
// backslash is kept as written, as hand-edited Windows paths expect.
std::optional<std::string> ParseQuoted(std::string_view text, std::size_t& pos) {
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c != '\\' || pos + 1 >= text.size()) {
            out += c;
            continue;
        }
        const char next = text[++pos];
        switch (next) {
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case '0': out += '\0'; break;
            default:
                out += '\\';
                out += next;
        }
    }
    return std::nullopt;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\0': out += "\\0"; break;
            default: out += c;
        }
    }
    return out + "\"";
}

std::optional<std::string> ParseHexBytes(std::string_view list) {
    std::string bytes;
    if (Trim(list).empty()) return bytes;
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view token = Trim(list.substr(0, comma));
        const bool last = comma == std::string_view::npos;
        // regedit never writes it, but a trailing comma is harmless.
        if (token.empty() && (last || Trim(list.substr(comma + 1)).empty())) return bytes;
        const std::optional<uint32_t> byte = ParseHexNumber(token, 2);
        if (!byte) return std::nullopt;
        bytes += static_cast<char>(*byte);
        if (last) return bytes;
        list.remove_prefix(comma + 1);
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(DecodeFileText(text)), lines_(SplitLines(text_)) {}

    RegistryParseResult Run() {
        for (index_ = 0; index_ < lines_.size(); ++index_) {
            firstLineOfEntry_ = index_;
            ParseLine(Trim(lines_[index_]));
        }
        return std::move(result_);
    }

private:
    void Problem(std::string what) {
        if (!result_.complete) return;
        result_.complete = false;
        result_.problemLine = static_cast<int>(firstLineOfEntry_) + 1;
        result_.problem = std::move(what);
    }

    void ParseLine(std::string_view line) {
        if (line.empty() || line.front() == ';') return;
        if (!headerSeen_) {
            headerSeen_ = true;
            if (line == kHeaderRegedit4 || line == kHeaderVersion5) return;
            Problem("no REGEDIT4 header");
        }
        if (line.front() == '[') return ParseKeyLine(line);
        if (line.front() == '"' || line.front() == '@') return ParseValueLine(line);
        Problem("line not understood");
    }

    void ParseKeyLine(std::string_view line) {
        if (line.size() < 3 || line.back() != ']') return Problem("key line not understood");
        const std::string_view name = line.substr(1, line.size() - 2);
        currentKey_.reset();
        inDeletedKey_ = name.front() == '-';
        if (inDeletedKey_) return result_.document.DeleteKey(name.substr(1));
        currentKey_ = std::string(name);
        result_.document.AddKey(*currentKey_);
    }

    void ParseValueLine(std::string_view line) {
        std::size_t pos = 0;
        std::string name;
        if (line.front() == '@') {
            pos = 1;
        } else {
            std::optional<std::string> quoted = ParseQuoted(line, pos);
            if (!quoted) return Problem("value name not closed");
            name = std::move(*quoted);
        }
        const std::string_view afterName = Trim(line.substr(pos));
        if (!afterName.starts_with('=')) return Problem("value without '='");
        const std::string_view data = Trim(afterName.substr(1));
        if (!currentKey_) {
            if (StartsWithIgnoreCase(data, kHexPrefix)) JoinContinuationLines(data);
            // Values under "[-key]" go with the deleted key; anywhere else they have no key.
            if (!inDeletedKey_) Problem("value outside a key");
            return;
        }
        if (data == "-") return result_.document.DeleteValue(*currentKey_, name);
        std::optional<RegValue> value = ParseData(data);
        if (value) result_.document.SetValue(*currentKey_, name, *value);
    }

    std::optional<RegValue> ParseData(std::string_view data) {
        if (data.starts_with('"')) {
            std::size_t pos = 0;
            std::optional<std::string> text = ParseQuoted(data, pos);
            if (!text || !Trim(data.substr(pos)).empty()) return Fail("string value not understood");
            return RegValue::String(std::move(*text));
        }
        if (StartsWithIgnoreCase(data, kDwordPrefix)) {
            const std::optional<uint32_t> number = ParseHexNumber(data.substr(kDwordPrefix.size()), kMaxDwordDigits);
            if (!number) return Fail("dword value not understood");
            return RegValue::Dword(*number);
        }
        if (StartsWithIgnoreCase(data, kHexPrefix)) return ParseHexData(data.substr(kHexPrefix.size()));
        return Fail("value of unknown type");
    }

    // "hex:..." or "hex(N):...": every typed form is kept as its raw bytes.
    std::optional<RegValue> ParseHexData(std::string_view rest) {
        if (rest.starts_with('(')) {
            const std::size_t close = rest.find(')');
            if (close == std::string_view::npos || !ParseHexNumber(rest.substr(1, close - 1), kMaxTypeDigits)) {
                JoinContinuationLines(rest);
                return Fail("hex value type not understood");
            }
            rest.remove_prefix(close + 1);
        }
        if (!rest.starts_with(':')) {
            JoinContinuationLines(rest);
            return Fail("hex value not understood");
        }
        const std::optional<std::string> list = JoinContinuationLines(rest.substr(1));
        if (!list) return std::nullopt;
        std::optional<std::string> bytes = ParseHexBytes(*list);
        if (!bytes) return Fail("hex bytes not understood");
        return RegValue::Binary(std::move(*bytes));
    }

    // A hex list goes on over the following lines while a line ends with a backslash; a list
    // that the end of the file cuts short has none.
    std::optional<std::string> JoinContinuationLines(std::string_view first) {
        std::string joined(Trim(first));
        while (joined.ends_with('\\')) {
            joined.pop_back();
            if (index_ + 1 >= lines_.size()) return Fail("hex value cut short");
            joined += Trim(lines_[++index_]);
        }
        return joined;
    }

    std::nullopt_t Fail(std::string what) {
        Problem(std::move(what));
        return std::nullopt;
    }

    std::string text_;
    std::vector<std::string_view> lines_;
    std::size_t index_ = 0;
    std::size_t firstLineOfEntry_ = 0;  // where a value continued over several lines starts
    bool headerSeen_ = false;
    std::optional<std::string> currentKey_;
    bool inDeletedKey_ = false;
    RegistryParseResult result_;
};

std::string SerialiseHex(std::string_view prefix, std::string_view bytes) {
    std::string out(prefix);
    std::size_t column = out.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        std::string piece{kDigits[byte >> 4], kDigits[byte & 0x0F]};
        if (i + 1 < bytes.size()) piece += ',';
        if (i > 0 && column + piece.size() > kHexLineWidth) {
            out += kHexContinuation;
            out += kHexIndent;
            column = kHexIndent.size();
        }
        out += piece;
        column += piece.size();
    }
    return out;
}

std::string SerialiseEntry(const RegistryDocument::Entry& entry) {
    const std::string name = (entry.name.empty() ? std::string("@") : Quote(entry.name)) + "=";
    const RegValue& value = entry.value;
    if (value.type == RegType::String) return name + Quote(value.data);
    if (const std::optional<uint32_t> number = value.AsDword()) {
        std::string digits(kMaxDwordDigits, '0');
        for (std::size_t i = 0; i < kMaxDwordDigits; ++i) digits[kMaxDwordDigits - 1 - i] = kDigits[(*number >> (4 * i)) & 0x0F];
        return name + std::string(kDwordPrefix) + digits;
    }
    // A dword of another size than 4 bytes keeps its bytes and its type number.
    const std::string_view form = value.type == RegType::Dword ? "hex(4):" : "hex:";
    return SerialiseHex(name + std::string(form), value.data);
}

}  // namespace

bool IsUsableKeyName(std::string_view key) {
    return !key.empty() && key.front() != '-' && key.front() != '\\' && key.back() != '\\' &&
           key.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
           key.find("\\\\") == std::string_view::npos;
}

const RegistryDocument::Key* RegistryDocument::FindKey(std::string_view key) const {
    for (const Key& k : keys_)
        if (EqualsIgnoreCase(k.name, key)) return &k;
    return nullptr;
}

const RegValue* RegistryDocument::FindValue(std::string_view key, std::string_view name) const {
    const Key* k = FindKey(key);
    if (!k) return nullptr;
    for (const Entry& entry : k->values)
        if (EqualsIgnoreCase(entry.name, name)) return &entry.value;
    return nullptr;
}

std::vector<std::string> RegistryDocument::SubKeys(std::string_view key) const {
    std::vector<std::string> out;
    for (const Key& k : keys_) {
        if (!IsBelow(k.name, key)) continue;
        const std::string_view rest = std::string_view(k.name).substr(key.size() + 1);
        const std::string_view child = rest.substr(0, rest.find('\\'));
        const bool known = std::any_of(out.begin(), out.end(), [&](const std::string& c) { return EqualsIgnoreCase(c, child); });
        if (!known) out.emplace_back(child);
    }
    return out;
}

std::vector<std::string> RegistryDocument::ValueNames(std::string_view key) const {
    std::vector<std::string> out;
    if (const Key* k = FindKey(key))
        for (const Entry& entry : k->values) out.push_back(entry.name);
    return out;
}

std::string RegistryDocument::CaseOfExistingParents(std::string_view key) const {
    std::string cased(key);
    for (std::size_t end = key.find('\\'); ; end = key.find('\\', end + 1)) {
        const std::size_t length = end == std::string_view::npos ? key.size() : end;
        const std::string_view prefix = key.substr(0, length);
        const auto holder = std::find_if(keys_.begin(), keys_.end(), [&](const Key& k) {
            return EqualsIgnoreCase(k.name, prefix) || IsBelow(k.name, prefix);
        });
        if (holder == keys_.end()) break;
        cased.replace(0, length, holder->name, 0, length);
        if (end == std::string_view::npos) break;
    }
    return cased;
}

RegistryDocument::Key& RegistryDocument::AddKey(std::string_view key) {
    for (Key& k : keys_)
        if (EqualsIgnoreCase(k.name, key)) return k;
    keys_.push_back(Key{CaseOfExistingParents(key), {}});
    return keys_.back();
}

bool RegistryDocument::SetValue(std::string_view key, std::string_view name, const RegValue& value) {
    Key& k = AddKey(key);
    for (Entry& entry : k.values) {
        if (!EqualsIgnoreCase(entry.name, name)) continue;
        if (entry.value.type == value.type && entry.value.data == value.data) return false;
        entry.value = value;
        return true;
    }
    k.values.push_back(Entry{std::string(name), value});
    return true;
}

void RegistryDocument::DeleteKey(std::string_view key) {
    std::erase_if(keys_, [&](const Key& k) { return EqualsIgnoreCase(k.name, key) || IsBelow(k.name, key); });
}

void RegistryDocument::DeleteValue(std::string_view key, std::string_view name) {
    for (Key& k : keys_)
        if (EqualsIgnoreCase(k.name, key))
            std::erase_if(k.values, [&](const Entry& entry) { return EqualsIgnoreCase(entry.name, name); });
}

RegistryParseResult ParseRegistryText(std::string_view text) { return Parser(text).Run(); }

std::string SerialiseRegistry(const RegistryDocument& document) {
    std::string out(kHeaderRegedit4);
    out += '\n';
    for (const RegistryDocument::Key& key : document.keys()) {
        out += "\n[" + key.name + "]\n";
        for (const RegistryDocument::Entry& entry : key.values) out += SerialiseEntry(entry) + '\n';
    }
    return out;
}

}  // namespace varnel
