#include "TextLines.h"

namespace varnel::sim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view FirstToken(std::string_view text) {
    text = TrimLeft(text);
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    return text.substr(0, end);
}

std::string_view AfterFirstToken(std::string_view text) {
    text = TrimLeft(text);
    return TrimLeft(text.substr(FirstToken(text).size()));
}

}  // namespace varnel::sim
