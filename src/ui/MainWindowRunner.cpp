#include "ui/MainWindowRunner.h"

#include <QApplication>

#include "app/CVarnelApp.h"
#include "base/ExitRequest.h"
#include "model/SettingNames.h"
#include "ui/CMainFrame.h"

namespace varnel {

int RunMainWindow(CVarnelApp& app, QApplication& qapp) {
    CMainFrame frame(app);
    ConfigModel& model = app.model();
    // A configuration read from the printer on the command line is not saved anywhere yet; the
    // first document keeps it instead of dropping it unseen.
    if (model.modified) model.keepSettingsOnNew = true;
    try {
        app.NewDocument();
    } catch (const ExitRequest& request) {
        return request.exitCode;
    }
    app.UpdateTitle();
    // A file read before the window existed could not show the flash button yet.
    const bool fileWithFirmwareId =
        !model.configFilePath.empty() && FindSetting(model.settings, kFirmwareIdName) >= 0;
    app.SetFlashButtonVisible(fileWithFirmwareId);
    frame.show();
    return qapp.exec();
}

}  // namespace varnel
