#include "model/DirectorySearch.h"

#include <algorithm>
#include <filesystem>

#include "base/AsciiText.h"

namespace varnel {

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    // Greedy match with backtracking to the last "*": linear in practice, no recursion.
    size_t n = 0, p = 0;
    size_t starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || ToLowerAscii(pattern[p]) == ToLowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool NameLessIgnoringCase(std::string_view a, std::string_view b) {
    if (LessIgnoreCase(a, b)) return true;
    if (LessIgnoreCase(b, a)) return false;
    return a < b;
}

std::vector<std::string> ListMatchingFiles(const std::string& directory, std::string_view pattern) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(directory.empty() ? fs::path(".") : fs::path(directory), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = it->path().filename().string();
        if (MatchesPattern(name, pattern)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NameLessIgnoringCase(a, b); });
    return names;
}

std::vector<std::string> ListMatchingPaths(const std::string& directory, std::string_view pattern) {
    std::vector<std::string> paths = ListMatchingFiles(directory, pattern);
    for (std::string& path : paths) path = JoinPath(directory, path);
    return paths;
}

std::vector<std::string> ListFilesMatchingPath(std::string_view pathPattern) {
    size_t slash = pathPattern.rfind('/');
    if (slash == std::string_view::npos) return ListMatchingFiles(".", pathPattern);
    std::string directory(pathPattern.substr(0, slash));
    return ListMatchingFiles(directory.empty() ? "/" : directory, pathPattern.substr(slash + 1));
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    if (directory.empty() || directory == ".") return name;
    if (directory.back() == '/') return directory + name;
    return directory + "/" + name;
}

}  // namespace varnel
