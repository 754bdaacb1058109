#include "flash/BootFileSearch.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace varnel {

namespace {

constexpr std::string_view kBootFileExtension = ".bot";

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

// "*" matches any run of characters, "?" any one; letters match without regard to case, as the
// file search of the platform the boot files come from does.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
    std::string p = UpperCase(pattern);
    std::string n = UpperCase(name);
    size_t pi = 0, ni = 0;
    size_t starAt = std::string::npos, resumeAt = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            starAt = pi++;
            resumeAt = ni;
        } else if (starAt != std::string::npos) {
            pi = starAt + 1;
            ni = ++resumeAt;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

}  // namespace

std::optional<BootFileMatch> FindBootFileOnDisk(std::string_view prefix, std::string_view firmwareId) {
    std::string pattern = std::string(prefix) + std::string(firmwareId) + std::string(kBootFileExtension);
    size_t slash = pattern.rfind('/');
    std::string directory = slash == std::string::npos ? "." : pattern.substr(0, std::max<size_t>(slash, 1));
    std::string namePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);

    std::optional<BootFileMatch> best;
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error)) continue;
        std::string diskName = it->path().filename().string();
        if (!WildcardMatch(namePattern, diskName)) continue;
        std::string name = UpperCase(diskName);
        if (!best || name > best->name) best = BootFileMatch{diskName, name};
    }
    return best;
}

std::string FindBootFile(std::string_view prefix, std::string_view firmwareId) {
    std::optional<BootFileMatch> match = FindBootFileOnDisk(prefix, firmwareId);
    return match ? match->name : std::string();
}

}  // namespace varnel
