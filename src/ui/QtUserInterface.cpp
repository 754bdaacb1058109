#include "ui/QtUserInterface.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>
#include <memory>

#include "app/HelpPage.h"
#include "ui/CAboutDlg.h"
#include "ui/CEditCommentDlg.h"
#include "ui/CEditSettingsDlg.h"
#include "ui/CFlashDlg.h"
#include "ui/CPrinterFilesDlg.h"
#include "ui/CSelectPortDlg.h"
#include "ui/CVerifyResultDlg.h"
#include "ui/CommConfigDialog.h"
#include "ui/GuiThread.h"
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

void QtUserInterface::PrepareBox(QMessageBox& box, const std::string& caption, const std::string& text,
                                 QMessageBox::StandardButtons buttons) {
    PaintOwner();
    box.setWindowTitle(ToDisplayText(caption));
    box.setText(ToDisplayText(text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(buttons);
}

int QtUserInterface::MessageBox(const std::string& caption, const std::string& text) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return MessageBox(caption, text); });
    QMessageBox box(owner_);
    PrepareBox(box, caption, text, QMessageBox::Ok);
    box.exec();
    // With one button every way of closing the box means OK.
    return kMessageBoxOk;
}

bool QtUserInterface::AskYesNo(const std::string& caption, const std::string& text) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return AskYesNo(caption, text); });
    QMessageBox box(owner_);
    PrepareBox(box, caption, text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

SaveAnswer QtUserInterface::AskSaveChanges(const std::string& caption, const std::string& text) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return AskSaveChanges(caption, text); });
    QMessageBox box(owner_);
    PrepareBox(box, caption, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setIcon(QMessageBox::Question);
    box.setDefaultButton(QMessageBox::Save);
    // Escape and the box's close button keep the configuration and stop the command.
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save: return SaveAnswer::Save;
    case QMessageBox::Discard: return SaveAnswer::Discard;
    default: return SaveAnswer::Cancel;
    }
}

bool QtUserInterface::SetStatusText(const std::string& text) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return SetStatusText(text); });
    if (!statusBar_) return false;
    statusBar_->showMessage(ToDisplayText(text));
    // Shown now, not at the next idle time: the caller is usually in the middle of printer work.
    statusBar_->repaint();
    return true;
}

std::optional<std::string> QtUserInterface::ChooseOpenFile(const std::string& title, const std::string& filter,
                                                           const std::string& directory) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return ChooseOpenFile(title, filter, directory); });
    return ChosenPath(QFileDialog::getOpenFileName(owner_, ToDisplayText(title), DirectoryName(directory),
                                                   ToDisplayText(filter)));
}

std::optional<std::string> QtUserInterface::ChooseSaveFile(const std::string& title, const std::string& filter,
                                                           const std::string& directory) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return ChooseSaveFile(title, filter, directory); });
    // The dialog itself asks before an existing file is replaced.
    return ChosenPath(QFileDialog::getSaveFileName(owner_, ToDisplayText(title), DirectoryName(directory),
                                                   ToDisplayText(filter)));
}

// Port, comment and firmware dialogs

QtUserInterface::~QtUserInterface() { delete flashProgress_.data(); }

QWidget* QtUserInterface::DialogOwner() const {
    if (QWidget* running = QApplication::activeModalWidget()) return running;
    return owner_;
}

std::optional<std::string> QtUserInterface::SelectPort(PortDialogModel& choice) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return SelectPort(choice); });
    CSelectPortDlg dialog(choice, DialogOwner());
    const int result = dialog.exec();
    dialog.RethrowFailure();
    if (result != QDialog::Accepted) return std::nullopt;
    return dialog.PortText();
}

std::optional<std::string> QtUserInterface::EditComment(const std::string& comment, size_t maxLength) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return EditComment(comment, maxLength); });
    CEditCommentDlg dialog(comment, maxLength, DialogOwner());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Comment();
}

FlashChoice QtUserInterface::ChooseFlashAction(const FlashDialogTexts& texts) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return ChooseFlashAction(texts); });
    // The dialog that showed the boot loader being asked becomes the choice, where it stands.
    std::unique_ptr<CFlashDlg> dialog(flashProgress_.data());
    flashProgress_.clear();
    if (!dialog) dialog = std::make_unique<CFlashDlg>(texts, DialogOwner());
    dialog->SetTexts(texts);
    dialog->ShowChoice();
    return CFlashDlg::ChoiceFromResult(dialog->exec());
}

void QtUserInterface::ShowFlashProgress(const FlashDialogTexts& texts, const FlashProgressView& progress) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return ShowFlashProgress(texts, progress); });
    if (!flashProgress_) {
        if (progress.stage == FlashProgressView::Stage::Finished) return;
        flashProgress_ = new CFlashDlg(texts, DialogOwner());
        // The update holds the program until it is done; the dialog says so.
        flashProgress_->setWindowModality(Qt::ApplicationModal);
    }
    flashProgress_->SetTexts(texts);
    flashProgress_->ShowProgress(progress);
    if (progress.stage == FlashProgressView::Stage::Finished) {
        delete flashProgress_.data();
        return;
    }
    // The stream gives the event loop no time of its own: the new text is drawn now. Input
    // stays queued, as during every printer operation.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::optional<SerialLineSettings> QtUserInterface::EditSerialLine(const std::string& portName,
                                                                  const SerialLineSettings& current) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return EditSerialLine(portName, current); });
    return EditCommConfigDialog(DialogOwner(), portName, current);
}

// ---- Configuration edit dialog

bool QtUserInterface::EditConfiguration(EditPages& pages) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return EditConfiguration(pages); });
    CEditSettingsDlg dialog(pages, *this, owner_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtUserInterface::OpenHelpPage(const std::string& path, const std::string& anchor) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return OpenHelpPage(path, anchor); });
    const QString file = DirectoryName(path);
    QUrl url = QUrl::fromLocalFile(file);
    if (!anchor.empty()) url.setFragment(ToDisplayText(anchor));
    // A missing page would only bring up the browser's own error; the box says which file it is.
    if (QFileInfo::exists(file) && QDesktopServices::openUrl(url)) return true;
    MessageBox(std::string(kHelpCaption), std::string(kHelpPageNotOpened) + path);
    return false;
}

void QtUserInterface::ShowVerificationResult(const std::vector<VerificationRow>& rows) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return ShowVerificationResult(rows); });
    CVerifyResultDlg dialog(rows, *this, owner_);
    dialog.exec();
}

bool QtUserInterface::ShowPrinterFiles(const PrinterFilesOpener& open) {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return ShowPrinterFiles(open); });
    RunPrinterFilesDialog(open);
    return true;
}

void QtUserInterface::ShowAboutBox() {
    if (!OnGuiThread()) return RunOnGuiThread([&] { return ShowAboutBox(); });
    CAboutDlg about(owner_);
    about.exec();
}

}  // namespace varnel
