#include "flash/BootFileSearch.h"

#include "base/AsciiText.h"
#include "model/DirectorySearch.h"
#include "model/ModelSearchPath.h"

namespace varnel {

namespace {

constexpr std::string_view kBootFileExtension = ".bot";

// The newest match of `pattern` among the files of one folder.
std::optional<BootFileMatch> NewestIn(const std::string& folder, const std::string& pattern) {
    std::optional<BootFileMatch> best;
    for (const std::string& diskName : ListFilesMatchingPath(JoinPath(folder, pattern))) {
        std::string name = ToUpperAscii(diskName);
        if (!best || name > best->name) best = BootFileMatch{diskName, name, folder == "." ? "" : folder};
    }
    return best;
}

}  // namespace

std::string BootFileMatch::Path(std::string_view prefix) const {
    return JoinPath(folder, std::string(prefix) + diskName);
}

std::optional<BootFileMatch> FindBootFileOnDisk(std::string_view prefix, std::string_view firmwareId) {
    std::string pattern = std::string(prefix) + std::string(firmwareId) + std::string(kBootFileExtension);
    if (!prefix.empty() && prefix.front() == '/') return NewestIn(".", pattern);
    for (const std::string& folder : ModelSearchPath::Current().Folders())
        if (std::optional<BootFileMatch> match = NewestIn(folder, pattern)) return match;
    return std::nullopt;
}

}  // namespace varnel
