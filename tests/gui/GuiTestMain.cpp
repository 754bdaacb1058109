// GoogleTest main for the GUI tests: widgets need one QApplication for the whole program.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "model/ModelSearchPath.h"

int main(int argc, char** argv) {
    // Run without a screen unless the caller picked a platform (e.g. xcb under Xvfb).
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Model files only from the folders a test names, never from a model installed on the machine.
    varnel::ModelSearchPath::SetCurrent(varnel::ModelSearchPath({}));
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
