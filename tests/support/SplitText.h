#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel::test {

// `text` cut at every `separator`, which no piece keeps; an unfinished last piece counts too.
inline std::vector<std::string> SplitAt(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t end = text.find(separator); end != std::string_view::npos; end = text.find(separator, from)) {
        pieces.emplace_back(text.substr(from, end - from));
        from = end + separator.size();
    }
    if (from < text.size()) pieces.emplace_back(text.substr(from));
    return pieces;
}

}  // namespace varnel::test
