#pragma once

#include <string>
#include <string_view>

namespace varnel {

// The help page lies in the start directory; each setting has an anchor of its name there.
inline constexpr std::string_view kHelpPageName = "Varnel.html";

// The box shown when no browser could show the page.
inline constexpr std::string_view kHelpCaption = "Varnel Help";
inline constexpr std::string_view kHelpPageNotOpened = "The help page could not be opened:\n";

inline std::string HelpPagePath(const std::string& startDirectory) {
    return startDirectory + "/" + std::string(kHelpPageName);
}

}  // namespace varnel
