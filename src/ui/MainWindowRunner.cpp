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
    // The first listing is prepared once the window shows: a report it raises comes after the
    // window has painted, and an end it asks for ends the event loop.
    frame.Invalidate();
    return qapp.exec();
}

}  // namespace varnel
