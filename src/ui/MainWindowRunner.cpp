#include "ui/MainWindowRunner.h"

#include <QApplication>

#include "app/CVarnelApp.h"
#include "base/ExitRequest.h"
#include "ui/CMainFrame.h"

namespace varnel {

int RunMainWindow(CVarnelApp& app, QApplication& qapp) {
    CMainFrame frame(app);
    try {
        app.OpenFirstDocument();
    } catch (const ExitRequest& request) {
        return request.exitCode;
    }
    frame.show();
    // The first listing is prepared once the window has painted: a report it raises comes over
    // the drawn window, and an end it asks for ends the event loop.
    frame.ShowFirstDocument();
    return qapp.exec();
}

}  // namespace varnel
