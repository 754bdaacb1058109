#include "flash/BootFileSearch.h"

#include <algorithm>
#include <cctype>

#include "model/DirectorySearch.h"

namespace varnel {

namespace {

constexpr std::string_view kBootFileExtension = ".bot";

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

}  // namespace

std::optional<BootFileMatch> FindBootFileOnDisk(std::string_view prefix, std::string_view firmwareId) {
    std::string pattern = std::string(prefix) + std::string(firmwareId) + std::string(kBootFileExtension);
    std::optional<BootFileMatch> best;
    for (const std::string& diskName : ListFilesMatchingPath(pattern)) {
        std::string name = UpperCase(diskName);
        if (!best || name > best->name) best = BootFileMatch{diskName, name};
    }
    return best;
}

}  // namespace varnel
