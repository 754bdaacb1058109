#pragma once

#include <QPointer>
#include <QStatusBar>
#include <QWidget>
#include <optional>
#include <string>

#include "base/UserInterface.h"

namespace varnel {

// The user interface with a display: Qt message boxes and file dialogs. Boxes have no owner
// until the main window exists; the main window then makes itself their owner and hands over
// its status bar, which from then on shows the status texts.
class QtUserInterface : public UserInterface {
public:
    QtUserInterface() = default;

    // Set by the main window when it is created; nullptrs when it goes.
    void SetOwner(QWidget* owner) { owner_ = owner; }
    void SetStatusBar(QStatusBar* statusBar) { statusBar_ = statusBar; }

    int MessageBox(const std::string& caption, const std::string& text) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    bool SetStatusText(const std::string& text) override;
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& directory) override;
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string& directory) override;
    bool EditSerialConfiguration(const std::string& portName, std::string& commConfig) override;

    // Help pages
    bool OpenHelpPage(const std::string& path, const std::string& anchor) override;
    void ShowAboutBox() override;

private:
    // A repaint the window is waiting for is done before a box covers it.
    void PaintOwner();

    // Guarded pointers: a window that closes leaves no dangling owner.
    QPointer<QWidget> owner_;
    QPointer<QStatusBar> statusBar_;
};

}  // namespace varnel
