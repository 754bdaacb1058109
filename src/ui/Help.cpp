#include "ui/Help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>

namespace varnel {
namespace {

constexpr const char* kHelpFile = "Varnel.html";

QString PathText(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

}  // namespace

QUrl HelpUrl(const std::string& path, const std::string& anchor) {
    QUrl url = QUrl::fromLocalFile(QDir(PathText(path)).absolutePath());
    if (!anchor.empty()) url.setFragment(QString::fromStdString(anchor));
    return url;
}

bool OpenHelpUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

QUrl HelpPageUrl(const std::string& startDirectory, const std::string& settingName) {
    const QString page = QDir(PathText(startDirectory)).absoluteFilePath(QString::fromLatin1(kHelpFile));
    return HelpUrl(QFile::encodeName(page).toStdString(), settingName);
}

void OpenHelpPage(const std::string& startDirectory, const std::string& settingName) {
    OpenHelpUrl(HelpPageUrl(startDirectory, settingName));
}

}  // namespace varnel
