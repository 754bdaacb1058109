// Printer -> Printer Files ... on a real main window, the real port layer and the real clock,
// against varnel-printer-sim: the simulator's files are listed, a dropped file is uploaded and
// listed, and Read / Save to Disk writes a byte-identical copy into the working directory.

#include <QApplication>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PrinterFilesCommand.h"
#include "app/CVarnelApp.h"
#include "base/Clock.h"
#include "support/DemoModel.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "ui/CPrinterFilesDlg.h"

namespace varnel {
namespace {

using namespace std::string_literals;

std::vector<std::string> WaitForEntries(CPrinterFilesDlg& dialog, size_t count) {
    for (int wait = 0; wait < 1000 && dialog.Entries().size() != count; ++wait) QTest::qWait(10);
    return dialog.Entries();
}

TEST(PrinterFilesSimTest, ListsUploadsADroppedFileAndSavesAByteIdenticalCopy) {
    test::ScratchDir dir = test::ExamplesWorkingFolder();
    test::ScratchDir elsewhere;
    const std::string stateFile = elsewhere.File("printer.json");
    test::WriteFileBytes(stateFile, R"({"format": "varnel-printer-sim state", "version": 1,)"
                                    R"( "files": [ { "name": "logo.bmp", "data": "42 4D 00 FF 0D 0A" } ]})");
    const std::string dropped = elsewhere.File("coupon.txt");
    std::string coupon;
    for (int i = 0; i < 1500; ++i) coupon.push_back(static_cast<char>(i * 7));
    test::WriteFileBytes(dropped, coupon);
    test::SimulatorProcess printer(test::SimulatorLine::Tcp, {"--state", stateFile});
    ASSERT_FALSE(printer.Port().empty());

    test::MemorySettingsStore settings;
    SystemClock clock;
    test::RecordingUserInterface ui;
    CVarnelApp app(settings, clock, ui, nullptr);
    app.Startup();
    app.model().portName = printer.Port();

    std::vector<std::string> first, afterDrop;
    const test::PrinterFilesRun run = test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& dialog) {
        first = WaitForEntries(dialog, 1);

        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog.List()->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog.List()->viewport(), &drop);
        afterDrop = WaitForEntries(dialog, 2);

        for (int row = 0; row < dialog.List()->count(); ++row) dialog.List()->item(row)->setSelected(true);
        dialog.Button(CPrinterFilesDlg::kIdSaveToDisk)->click();
        dialog.Button(CPrinterFilesDlg::kIdDone)->click();
    });

    EXPECT_TRUE(run.hiddenWhileShown);
    EXPECT_TRUE(run.visibleAfter);
    EXPECT_EQ(first, std::vector<std::string>{"logo.bmp\t6"});
    EXPECT_EQ(afterDrop, (std::vector<std::string>{"coupon.txt\t1500", "logo.bmp\t6"}));
    EXPECT_EQ(test::ReadFileBytes(dir.File("logo.bmp")), "BM\x00\xFF\r\n"s);
    EXPECT_EQ(test::ReadFileBytes(dir.File("coupon.txt")), coupon);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front();
}

}  // namespace
}  // namespace varnel
