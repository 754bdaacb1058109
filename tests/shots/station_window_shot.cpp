// Saves a picture of the Station window in the middle of a job, for the documentation:
// station_window_shot OUTPUT.png. Three simulated printers get the demo configuration written
// and verified: one passes, one is silent when asked for its firmware and fails, one answers
// slowly and is still at work when the picture is taken. Runs without a screen.
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/CVarnelApp.h"
#include "support/DemoModel.h"
#include "support/MemorySettingsStore.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/TestPaths.h"
#include "ui/CStationWnd.h"
#include "ui/QtClock.h"
#include "ui/QtUserInterface.h"

namespace {

constexpr int kJobLimitMs = 120000;
constexpr const char* kSlowReplyMs = "150";

using varnel::CStationWnd;

// The result texts of the rows.
std::vector<std::string> Results(const CStationWnd& window) {
    std::vector<std::string> results;
    QTreeWidget* rows = window.PrinterRows();
    for (int index = 0; index < rows->topLevelItemCount(); ++index)
        results.push_back(rows->topLevelItem(index)->text(CStationWnd::kResultColumn).toStdString());
    return results;
}

bool Shown(const std::vector<std::string>& results, const std::string& start) {
    for (const std::string& result : results)
        if (result.rfind(start, 0) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    // Taken before the scratch folder becomes the working folder.
    const QString output = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    using namespace varnel;
    test::ScratchDir folder = test::ExamplesWorkingFolder();
    std::vector<std::unique_ptr<test::SimulatorProcess>> printers;
    const std::vector<std::vector<std::string>> faults = {{}, {"--fault-silent", "firmware"}, {"--fault-slow", kSlowReplyMs}};
    for (const std::vector<std::string>& fault : faults) {
        std::vector<std::string> switches = test::DemoPrinterSwitches();
        switches.insert(switches.end(), fault.begin(), fault.end());
        printers.push_back(std::make_unique<test::SimulatorProcess>(test::SimulatorLine::Pty, switches));
        if (printers.back()->Port().empty()) return 1;
    }

    test::MemorySettingsStore store;
    QtClock clock;
    QtUserInterface ui;
    CVarnelApp app(store, clock, ui, nullptr);
    app.Startup();
    app.CmdPort(printers[0]->Port());
    app.CmdReadFile("rpdemo.cfg");
    CStationWnd window(app, test::VarnelExe());
    window.show();
    for (size_t index = 1; index < printers.size(); ++index) {
        window.PortEdit()->setText(QString::fromStdString(printers[index]->Port()));
        window.AddPortButton()->click();
    }
    window.StartButton()->click();
    const bool midway = QTest::qWaitFor(
        [&] {
            const std::vector<std::string> results = Results(window);
            return Shown(results, "passed") && Shown(results, "failed");
        },
        kJobLimitMs);
    const bool saved = midway && window.grab().save(output);
    if (!saved) std::fprintf(stderr, "no picture of a station with a passed and a failed printer\n");
    // The station ends its runs as the window goes.
    return saved ? 0 : 1;
}
