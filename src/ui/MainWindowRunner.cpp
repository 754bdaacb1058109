#include "ui/MainWindowRunner.h"

#include <iostream>

#include "app/CVarnelApp.h"

namespace varnel {

// This build has no main window yet: say so and end as a run without a display would.
int RunMainWindow(CVarnelApp&, QApplication&) {
    std::cerr << "varnel: the main window is not in this build (use \"exit\" as the last parameter to run "
                 "without it)\n";
    return kExitNoDisplay;
}

}  // namespace varnel
