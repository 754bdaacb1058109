#include "files/FileList.h"

#include <algorithm>

namespace varnel {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::vector<std::string> ParseFileList(std::string_view reply) {
    std::vector<std::string> entries;
    size_t start = 0;
    while (start < reply.size()) {
        size_t end = reply.find('\0', start);
        if (end == std::string_view::npos) end = reply.size();
        std::string_view text = reply.substr(start, end - start);
        if (text.empty()) break;
        bool listed = std::any_of(entries.begin(), entries.end(),
                                  [text](const std::string& entry) { return EqualNoCase(entry, text); });
        if (!listed) entries.emplace_back(text);
        start = end + 1;
    }
    return entries;
}

std::string EntryFileName(std::string_view entry) { return std::string(entry.substr(0, entry.find('\t'))); }

}  // namespace varnel
