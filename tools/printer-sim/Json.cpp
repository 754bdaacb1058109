#include "Json.h"

#include <charconv>

#include "HexText.h"

namespace varnel::sim {
namespace {

constexpr int kMaxDepth = 32;

class JsonParser {
public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    std::optional<JsonValue> Document(std::string& error) {
        JsonValue value;
        if (!Value(value, 0) || (SkipSpace(), pos_ != text_.size())) {
            if (error_.empty()) error_ = "unexpected text";
            error = error_ + " at byte " + std::to_string(pos_);
            return std::nullopt;
        }
        return value;
    }

private:
    bool Fail(const char* what) {
        if (error_.empty()) error_ = what;
        return false;
    }

    void SkipSpace() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' ||
                                       text_[pos_] == '\r'))
            ++pos_;
    }

    bool Take(char c) {
        SkipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool Word(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return Fail("unknown word");
        pos_ += word.size();
        return true;
    }

    bool Value(JsonValue& value, int depth) {
        if (depth > kMaxDepth) return Fail("nested too deeply");
        SkipSpace();
        if (pos_ >= text_.size()) return Fail("unexpected end");
        switch (text_[pos_]) {
            case '{': value.type = JsonValue::Type::Object; return Object(value, depth);
            case '[': value.type = JsonValue::Type::Array; return Array(value, depth);
            case '"': value.type = JsonValue::Type::String; return String(value.text);
            case 't': value.type = JsonValue::Type::Bool; value.boolean = true; return Word("true");
            case 'f': value.type = JsonValue::Type::Bool; return Word("false");
            case 'n': return Word("null");
            default: value.type = JsonValue::Type::Number; return Number(value.number);
        }
    }

    bool Object(JsonValue& value, int depth) {
        ++pos_;
        if (Take('}')) return true;
        do {
            SkipSpace();
            std::string key;
            if (pos_ >= text_.size() || text_[pos_] != '"' || !String(key)) return Fail("expected a key");
            if (!Take(':')) return Fail("expected ':'");
            JsonValue member;
            if (!Value(member, depth + 1)) return false;
            value.members.emplace_back(std::move(key), std::move(member));
        } while (Take(','));
        return Take('}') || Fail("expected '}'");
    }

    bool Array(JsonValue& value, int depth) {
        ++pos_;
        if (Take(']')) return true;
        do {
            JsonValue item;
            if (!Value(item, depth + 1)) return false;
            value.items.push_back(std::move(item));
        } while (Take(','));
        return Take(']') || Fail("expected ']'");
    }

    bool Number(double& number) {
        const char* first = text_.data() + pos_;
        const auto [end, error] = std::from_chars(first, text_.data() + text_.size(), number);
        if (error != std::errc() || end == first) return Fail("bad number");
        pos_ += static_cast<std::size_t>(end - first);
        return true;
    }

    bool String(std::string& out) {
        ++pos_;  // the opening quote
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) break;
            const char escape = text_[pos_++];
            switch (escape) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    const std::string_view digits = text_.substr(pos_, 4);
                    const auto bytes = digits.size() == 4 ? FromHex(digits) : std::nullopt;
                    if (!bytes || (*bytes)[0] != '\0') return Fail("\\u escapes stand for bytes 00 to FF only");
                    out += (*bytes)[1];
                    pos_ += 4;
                    break;
                }
                default: return Fail("bad escape");
            }
        }
        return Fail("unterminated string");
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string error_;
};

}  // namespace

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (const auto& [name, value] : members)
        if (name == key) return &value;
    return nullptr;
}

std::optional<JsonValue> ParseJson(std::string_view text, std::string& error) { return JsonParser(text).Document(error); }

std::string JsonQuote(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char byte : bytes) {
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20 || byte >= 0x7F) {
            out += "\\u00" + ToHex(std::string(1, static_cast<char>(byte)));
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out + "\"";
}

}  // namespace varnel::sim
