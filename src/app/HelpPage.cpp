#include "app/HelpPage.h"

#include <filesystem>
#include <optional>

#include "model/ModelSearchPath.h"

namespace varnel {

std::string HelpPagePath(const std::string& startDirectory) {
    std::optional<std::string> found = ModelSearchPath::Current().FindFile(startDirectory, kHelpPageName);
    return found.value_or((std::filesystem::path(startDirectory) / kHelpPageName).string());
}

}  // namespace varnel
