#include "flash/FileDialogFilter.h"

#include <algorithm>
#include <vector>

namespace varnel {

namespace {

std::vector<std::string> SplitAtBars(std::string_view text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t bar = text.find('|', start);
        if (bar == std::string_view::npos) bar = text.size();
        parts.emplace_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    return parts;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

std::string QtFileFilter(std::string_view listFilter) {
    std::vector<std::string> parts = SplitAtBars(listFilter);
    std::string result;
    // The list ends at the first empty text ("||").
    for (size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
        std::string patterns = parts[i + 1];
        std::replace(patterns.begin(), patterns.end(), ';', ' ');
        std::string entry = parts[i];
        if (!EndsWith(entry, "(" + patterns + ")")) entry += " (" + patterns + ")";
        if (!result.empty()) result += ";;";
        result += entry;
    }
    return result;
}

}  // namespace varnel
