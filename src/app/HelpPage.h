#pragma once

#include <string>
#include <string_view>

namespace varnel {

// The help page; each setting has an anchor of its name there.
inline constexpr std::string_view kHelpPageName = "Varnel.html";

// The box shown when no browser could show the page.
inline constexpr std::string_view kHelpCaption = "Varnel Help";
inline constexpr std::string_view kHelpPageNotOpened = "The help page could not be opened:\n";

// Where the help page is: the start directory's own, else the first one in the model folders
// (a desktop start in the home folder finds the installed page). With none anywhere it is the
// start directory's path, so the box names the file that is missing.
std::string HelpPagePath(const std::string& startDirectory);

}  // namespace varnel
