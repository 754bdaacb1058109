#pragma once

class QApplication;

namespace varnel {

class CVarnelApp;

// Creates the first document and the main window, runs the message loop and returns the exit
// code of the process. The application object's shutdown runs after it returns.
int RunMainWindow(CVarnelApp& app, QApplication& qapp);

}  // namespace varnel
