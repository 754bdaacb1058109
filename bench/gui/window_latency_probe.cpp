// Measures how long the main window takes to open its File menu after a real Alt+F while a Read
// runs against the printer on PORT. The key goes into the X server through its XTest extension, on
// a connection of the probe's own, as a keyboard's would. Prints one line per try, "try N: M ms",
// from the key press leaving for the server to the menu showing.
//
// Usage: window_latency_probe PORT TRIES   (under an X server; the working folder holds the model)

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

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

constexpr xcb_keysym_t kKeysymAltL = 0xffe9;
constexpr xcb_keysym_t kKeysymF = 0x0066;

// A keyboard of the X server's, pressed through XTest.
class FakeKeyboard {
public:
    FakeKeyboard() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~FakeKeyboard() { xcb_disconnect(connection_); }
    FakeKeyboard(const FakeKeyboard&) = delete;
    FakeKeyboard& operator=(const FakeKeyboard&) = delete;

    bool Usable() {
        if (xcb_connection_has_error(connection_)) return false;
        xcb_test_get_version_reply_t* version =
            xcb_test_get_version_reply(connection_, xcb_test_get_version(connection_, 2, 2), nullptr);
        free(version);
        alt_ = KeycodeOf(kKeysymAltL);
        f_ = KeycodeOf(kKeysymF);
        return version && alt_ && f_;
    }

    // Alt+F: both keys down, then up, sent at once.
    void PressAltF() {
        Key(XCB_KEY_PRESS, alt_);
        Key(XCB_KEY_PRESS, f_);
        Key(XCB_KEY_RELEASE, f_);
        Key(XCB_KEY_RELEASE, alt_);
        xcb_flush(connection_);
    }

private:
    xcb_keycode_t KeycodeOf(xcb_keysym_t wanted) {
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
            connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, static_cast<uint8_t>(count)),
            nullptr);
        if (!mapping) return 0;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping);
        const int perCode = mapping->keysyms_per_keycode;
        xcb_keycode_t found = 0;
        for (int code = 0; code < count && !found; ++code)
            for (int level = 0; level < perCode; ++level)
                if (syms[code * perCode + level] == wanted) {
                    found = static_cast<xcb_keycode_t>(setup->min_keycode + code);
                    break;
                }
        free(mapping);
        return found;
    }

    void Key(uint8_t type, xcb_keycode_t code) {
        xcb_test_fake_input(connection_, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    xcb_connection_t* connection_;
    xcb_keycode_t alt_ = 0;
    xcb_keycode_t f_ = 0;
};

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
    FakeKeyboard keyboard;
    if (!keyboard.Usable()) {
        std::fprintf(stderr, "window_latency_probe: the X server offers no XTest keyboard\n");
        return 2;
    }
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

    // The key is pressed from a thread of its own, so a window thread held by the read cannot
    // delay the press itself, only its answer.
    using Steady = std::chrono::steady_clock;
    std::atomic<bool> reading{false};
    std::atomic<bool> keyDuringRead{false};
    std::atomic<Steady::rep> pressedAt{0};
    std::thread presser;
    int done = 0;
    QObject::connect(fileMenu, &QMenu::aboutToShow, [&] {
        const Steady::rep at = pressedAt.exchange(0);
        if (at == 0) return;
        // A key pressed after the read had ended measures an idle window: the try is marked and
        // left out of the figures.
        const auto elapsed = Steady::now() - Steady::time_point(Steady::duration(at));
        const double ms = std::chrono::duration<double, std::milli>(elapsed).count();
        std::printf("try %d: %.1f ms%s\n", done + 1, ms, keyDuringRead ? "" : " (read had ended)");
        std::fflush(stdout);
        ++done;
        QTimer::singleShot(0, fileMenu, &QMenu::close);
    });

    // One try: a Read, a key into it, then the next try once the read and the menu are done.
    std::function<void()> nextTry = [&] {
        if (presser.joinable()) presser.join();
        // Not quit(): it would close the window, and a read configuration asks to be saved first.
        if (done >= tries) return QApplication::exit(0);
        frame.activateWindow();
        const int delay = kFirstKeyDelayMs + (done * kKeyDelayStepMs) % kKeyDelaySpreadMs;
        reading = true;
        presser = std::thread([&, delay] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            keyDuringRead = reading.load();
            pressedAt = Steady::now().time_since_epoch().count();
            keyboard.PressAltF();
        });
        frame.Command(varnel::kCmdReadConfig)->trigger();
        auto* wait = new QTimer(&frame);
        const int triesBefore = done;
        QObject::connect(wait, &QTimer::timeout, [&, wait, triesBefore] {
            if (frame.busy()) return;
            reading = false;
            if (done == triesBefore || fileMenu->isVisible()) return;
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
    const int result = qapp.exec();
    if (presser.joinable()) presser.join();
    return result;
}
