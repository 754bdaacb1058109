#include "ui/Help.h"

#include <QDesktopServices>
#include <QDir>

#include "model/ModelSearchPath.h"

namespace varnel {
namespace {

constexpr const char* kHelpFile = "Varnel.html";

}  // namespace

QUrl HelpPageUrl(const std::string& startDirectory, const std::string& settingName) {
    // A start directory without the page (a desktop start, in the home folder) takes the one
    // installed with the models; with none anywhere the browser says what is missing.
    QDir directory(QString::fromStdString(startDirectory));
    QString page = directory.absoluteFilePath(QString::fromLatin1(kHelpFile));
    if (auto found = ModelSearchPath::Current().FindFile(startDirectory, kHelpFile))
        page = directory.absoluteFilePath(QString::fromStdString(*found));
    QUrl url = QUrl::fromLocalFile(page);
    if (!settingName.empty()) url.setFragment(QString::fromStdString(settingName));
    return url;
}

void OpenHelpPage(const std::string& startDirectory, const std::string& settingName) {
    QDesktopServices::openUrl(HelpPageUrl(startDirectory, settingName));
}

}  // namespace varnel
