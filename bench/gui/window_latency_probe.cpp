// Measures how long the main window takes to open its File menu after a real Alt+F (sent through
// the X server by xdotool) while a Read runs against the printer on PORT. Prints one line per try,
// "try N: M ms", from the start of xdotool to the menu showing.
//
// Usage: window_latency_probe PORT TRIES   (under an X server; the working folder holds the model)

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/CVarnelApp.h"
#include "support/MemorySettingsStore.h"
#include "ui/CMainFrame.h"
#include "ui/QtClock.h"
#include "ui/QtUserInterface.h"

namespace {

// Into the read, so the key arrives while the printer is being asked; a read takes seconds.
constexpr int kFirstKeyDelayMs = 400;
constexpr int kKeyDelayStepMs = 97;
constexpr int kKeyDelaySpreadMs = 1200;
constexpr int kPollMs = 5;
constexpr int kGiveUpMs = 120000;

QMenu* FileMenu(QMainWindow& window) {
    for (QAction* action : window.menuBar()->actions())
        if (action->text() == QStringLiteral("&File")) return action->menu();
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_latency_probe PORT TRIES\n");
        return 2;
    }
    QApplication qapp(argc, argv);
    const std::string port = argv[1];
    const int tries = std::atoi(argv[2]);

    varnel::test::MemorySettingsStore store;
    varnel::QtClock clock;
    varnel::QtUserInterface ui;
    varnel::CVarnelApp app(store, clock, ui, nullptr);
    app.Startup();
    app.CmdPort(port);
    varnel::CMainFrame frame(app);
    app.OpenFirstDocument();
    frame.show();
    frame.activateWindow();
    QMenu* fileMenu = FileMenu(frame);

    int done = 0;
    QElapsedTimer sent;
    QObject::connect(fileMenu, &QMenu::aboutToShow, [&] {
        if (!sent.isValid()) return;
        std::printf("try %d: %lld ms\n", done + 1, static_cast<long long>(sent.elapsed()));
        std::fflush(stdout);
        sent.invalidate();
        ++done;
        QTimer::singleShot(0, fileMenu, &QMenu::close);
    });

    // One try: a Read, a key into it, then the next try once the read and the menu are done.
    std::function<void()> nextTry = [&] {
        // Not quit(): it would close the window, and a read configuration asks to be saved first.
        if (done >= tries) return QApplication::exit(0);
        frame.activateWindow();
        frame.Command(varnel::kCmdReadConfig)->trigger();
        const int delay = kFirstKeyDelayMs + (done * kKeyDelayStepMs) % kKeyDelaySpreadMs;
        QTimer::singleShot(delay, [&] {
            sent.start();
            QProcess::startDetached(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+f")});
        });
        auto* wait = new QTimer(&frame);
        const int triesBefore = done;
        QObject::connect(wait, &QTimer::timeout, [&, wait, triesBefore] {
            if (frame.busy() || done == triesBefore || fileMenu->isVisible()) return;
            wait->deleteLater();
            wait->stop();
            nextTry();
        });
        wait->start(kPollMs);
    };
    QTimer::singleShot(500, nextTry);
    QTimer::singleShot(kGiveUpMs, [] {
        std::fprintf(stderr, "window_latency_probe: gave up\n");
        QApplication::exit(1);
    });
    return qapp.exec();
}
