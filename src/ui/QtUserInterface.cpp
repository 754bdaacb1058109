#include "ui/QtUserInterface.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/CAboutDlg.h"
#include "ui/CommConfigDialog.h"
#include "ui/Help.h"
#include "ui/UiText.h"

namespace varnel {
namespace {

constexpr int kMessageBoxOk = 1;

std::optional<std::string> ChosenPath(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Where a file dialog starts: the given file or folder, else the process's current folder (not
// the folder a dialog last showed).
QString DirectoryName(const std::string& directory) {
    if (directory.empty()) return QDir::currentPath();
    return QFile::decodeName(QByteArray(directory.data(), static_cast<qsizetype>(directory.size())));
}

}  // namespace

void QtUserInterface::PaintOwner() {
    if (owner_ && owner_->isVisible()) owner_->repaint();
}

int QtUserInterface::MessageBox(const std::string& caption, const std::string& text) {
    PaintOwner();
    QMessageBox box(owner_);
    box.setWindowTitle(ToDisplayText(caption));
    box.setText(ToDisplayText(text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    // With one button every way of closing the box means OK.
    return kMessageBoxOk;
}

bool QtUserInterface::AskYesNo(const std::string& caption, const std::string& text) {
    PaintOwner();
    QMessageBox box(owner_);
    box.setWindowTitle(ToDisplayText(caption));
    box.setText(ToDisplayText(text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool QtUserInterface::SetStatusText(const std::string& text) {
    if (!statusBar_) return false;
    statusBar_->showMessage(ToDisplayText(text));
    // Shown now, not at the next idle time: the caller is usually in the middle of printer work.
    statusBar_->repaint();
    return true;
}

std::optional<std::string> QtUserInterface::ChooseOpenFile(const std::string& title, const std::string& filter,
                                                           const std::string& directory) {
    return ChosenPath(QFileDialog::getOpenFileName(owner_, ToDisplayText(title), DirectoryName(directory),
                                                   ToDisplayText(filter)));
}

std::optional<std::string> QtUserInterface::ChooseSaveFile(const std::string& title, const std::string& filter,
                                                           const std::string& directory) {
    // The dialog itself asks before an existing file is replaced.
    return ChosenPath(QFileDialog::getSaveFileName(owner_, ToDisplayText(title), DirectoryName(directory),
                                                   ToDisplayText(filter)));
}

bool QtUserInterface::EditSerialConfiguration(const std::string& portName, std::string& commConfig) {
    return EditCommConfigDialog(owner_, portName, commConfig);
}

// Help pages

bool QtUserInterface::OpenHelpPage(const std::string& path, const std::string& anchor) {
    return OpenHelpUrl(HelpUrl(path, anchor));
}

void QtUserInterface::ShowAboutBox() {
    CAboutDlg about(owner_);
    about.exec();
}

}  // namespace varnel
