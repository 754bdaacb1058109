#pragma once

#include <QUrl>
#include <string>

namespace varnel {

// The address of the page at `path`, at `anchor` when one is given.
QUrl HelpUrl(const std::string& path, const std::string& anchor = {});

// Shows a page in the desktop's browser; false when none could be started for it.
bool OpenHelpUrl(const QUrl& url);

// The help page, "Varnel.html" in the start directory; a setting's help is its anchor there.
QUrl HelpPageUrl(const std::string& startDirectory, const std::string& settingName = {});

// Opens the help page in the desktop's browser. A browser that does not start is not reported.
void OpenHelpPage(const std::string& startDirectory, const std::string& settingName = {});

}  // namespace varnel
