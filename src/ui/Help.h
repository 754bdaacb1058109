#pragma once

#include <QUrl>
#include <string>

namespace varnel {

// The help page, "Varnel.html" in the start directory, else the first in the model folders; a
// setting's help is its anchor there.
QUrl HelpPageUrl(const std::string& startDirectory, const std::string& settingName = {});

// Opens the help page in the desktop's browser. A browser that does not start is not reported.
void OpenHelpPage(const std::string& startDirectory, const std::string& settingName = {});

}  // namespace varnel
