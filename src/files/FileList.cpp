#include "files/FileList.h"

#include <algorithm>

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

}  // namespace varnel
