#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varnel::sim {

// Just enough JSON for the state file. Strings are byte strings: "\u00XX" stands for the
// byte XX, so any 8-bit text round-trips while the file itself stays plain ASCII.
struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };

    Type type = Type::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    const JsonValue* Find(std::string_view key) const;
    bool Is(Type wanted) const { return type == wanted; }
};

// Parses one JSON document; on failure says what and where in error.
std::optional<JsonValue> ParseJson(std::string_view text, std::string& error);

// The bytes as a quoted JSON string.
std::string JsonQuote(std::string_view bytes);

}  // namespace varnel::sim
