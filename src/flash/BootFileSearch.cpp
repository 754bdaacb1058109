#include "flash/BootFileSearch.h"

#include "base/AsciiText.h"
#include "model/DirectorySearch.h"

namespace varnel {

namespace {

constexpr std::string_view kBootFileExtension = ".bot";

}  // namespace

std::optional<BootFileMatch> FindBootFileOnDisk(std::string_view prefix, std::string_view firmwareId) {
    std::string pattern = std::string(prefix) + std::string(firmwareId) + std::string(kBootFileExtension);
    std::optional<BootFileMatch> best;
    for (const std::string& diskName : ListFilesMatchingPath(pattern)) {
        std::string name = ToUpperAscii(diskName);
        if (!best || name > best->name) best = BootFileMatch{diskName, name};
    }
    return best;
}

}  // namespace varnel
