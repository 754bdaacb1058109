#include "files/FileList.h"

#include <algorithm>
#include <charconv>

#include "base/AsciiText.h"

namespace varnel {

std::vector<std::string> ParseFileList(std::string_view reply) {
    std::vector<std::string> entries;
    size_t start = 0;
    while (start < reply.size()) {
        size_t end = reply.find('\0', start);
        if (end == std::string_view::npos) end = reply.size();
        std::string_view text = reply.substr(start, end - start);
        if (text.empty()) break;
        bool listed = std::any_of(entries.begin(), entries.end(),
                                  [text](const std::string& entry) { return EqualsIgnoreCase(entry, text); });
        if (!listed) entries.emplace_back(text);
        start = end + 1;
    }
    return entries;
}

std::string EntryFileName(std::string_view entry) { return std::string(entry.substr(0, entry.find('\t'))); }

std::optional<uint64_t> EntryFileSize(std::string_view entry) {
    const size_t tab = entry.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    std::string_view column = entry.substr(tab + 1);
    column = column.substr(0, column.find('\t'));
    // Digits only: no sign, no blanks, nothing after them, and no number too large to hold.
    uint64_t size = 0;
    const char* end = column.data() + column.size();
    const auto [stop, error] = std::from_chars(column.data(), end, size);
    if (column.empty() || error != std::errc() || stop != end) return std::nullopt;
    return size;
}

}  // namespace varnel
