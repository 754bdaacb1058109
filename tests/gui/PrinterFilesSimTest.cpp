// Printer -> Printer Files ... on a real main window, the real port layer and the real clock,
// against varnel-printer-sim: the simulator's files are listed, a dropped file is uploaded and
// listed, and Read / Save to Disk writes a byte-identical copy into the working directory.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "ShownDialog.h"
#include "app/CVarnelApp.h"
#include "base/Clock.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingUserInterface.h"
#include "support/TestPaths.h"
#include "ui/CMainFrame.h"
#include "ui/CPrinterFilesDlg.h"

namespace varnel {
namespace {

using namespace std::string_literals;

// varnel-printer-sim on a free loopback port holding one file; stopped with SIGTERM.
class Simulator {
public:
    explicit Simulator(const std::string& stateFile) {
        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            const std::string exe = test::SimulatorExe();
            std::vector<std::string> args{exe, "--tcp", "127.0.0.1:0", "--state", stateFile};
            std::vector<char*> argv;
            for (std::string& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
        char c = 0;
        std::string line;
        while (read(out_, &c, 1) == 1 && c != '\n') line += c;
        if (line.rfind("PORT ", 0) == 0) port_ = line.substr(5);
    }
    ~Simulator() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        close(out_);
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    const std::string& Port() const { return port_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string port_;
};

std::vector<std::string> WaitForEntries(CPrinterFilesDlg& dialog, size_t count) {
    for (int wait = 0; wait < 1000 && dialog.Entries().size() != count; ++wait) QTest::qWait(10);
    return dialog.Entries();
}

TEST(PrinterFilesSimTest, ListsUploadsADroppedFileAndSavesAByteIdenticalCopy) {
    test::DemoDirectory dir;
    test::TempDir elsewhere;
    const std::string stateFile = elsewhere.File("printer.json");
    test::WriteFileBytes(stateFile, R"({"format": "varnel-printer-sim state", "version": 1,)"
                                    R"( "files": [ { "name": "logo.bmp", "data": "42 4D 00 FF 0D 0A" } ]})");
    const std::string dropped = elsewhere.File("coupon.txt");
    std::string coupon;
    for (int i = 0; i < 1500; ++i) coupon.push_back(static_cast<char>(i * 7));
    test::WriteFileBytes(dropped, coupon);
    Simulator printer(stateFile);
    ASSERT_FALSE(printer.Port().empty());

    test::MemorySettingsStore settings;
    SystemClock clock;
    test::RecordingUserInterface ui;
    CVarnelApp app(settings, clock, ui, nullptr);
    app.Startup();
    app.model().portName = printer.Port();
    QtPrinterFilesDialog opener;
    opener.AttachTo(app);
    CMainFrame frame(app);
    frame.show();

    bool hidden = false;
    std::vector<std::string> first, afterDrop;
    QTimer::singleShot(0, [&] {
        CPrinterFilesDlg* dialog = test::ShownDialog<CPrinterFilesDlg>();
        if (!dialog) return;
        hidden = !frame.isVisible();
        first = WaitForEntries(*dialog, 1);

        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog->List()->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog->List()->viewport(), &drop);
        afterDrop = WaitForEntries(*dialog, 2);

        for (int row = 0; row < dialog->List()->count(); ++row) dialog->List()->item(row)->setSelected(true);
        dialog->Button(CPrinterFilesDlg::kIdSaveToDisk)->click();
        dialog->Button(CPrinterFilesDlg::kIdDone)->click();
    });
    frame.Command(kCmdPrinterFiles)->trigger();

    EXPECT_TRUE(hidden);
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(first, std::vector<std::string>{"logo.bmp\t6"});
    EXPECT_EQ(afterDrop, (std::vector<std::string>{"coupon.txt\t1500", "logo.bmp\t6"}));
    EXPECT_EQ(test::ReadFileBytes(dir.File("logo.bmp")), "BM\x00\xFF\r\n"s);
    EXPECT_EQ(test::ReadFileBytes(dir.File("coupon.txt")), coupon);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front();
}

}  // namespace
}  // namespace varnel
