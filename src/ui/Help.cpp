#include "ui/Help.h"

#include <QDesktopServices>
#include <QDir>

namespace varnel {
namespace {

constexpr const char* kHelpFile = "Varnel.html";

}  // namespace

QUrl HelpPageUrl(const std::string& startDirectory, const std::string& settingName) {
    QDir directory(QString::fromStdString(startDirectory));
    QUrl url = QUrl::fromLocalFile(directory.absoluteFilePath(QString::fromLatin1(kHelpFile)));
    if (!settingName.empty()) url.setFragment(QString::fromStdString(settingName));
    return url;
}

void OpenHelpPage(const std::string& startDirectory, const std::string& settingName) {
    QDesktopServices::openUrl(HelpPageUrl(startDirectory, settingName));
}

}  // namespace varnel
