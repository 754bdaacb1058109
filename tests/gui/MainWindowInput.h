#pragma once

// Real input to the shown main window: its menus opened by the mouse or by the keyboard, its
// toolbar buttons clicked, and the boxes and file dialogs its commands open answered by keys.

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ShownDialog.h"

namespace varnel::test {

// How long a command may take before the dialog it opens shows: printer commands wait on the
// printer first.
inline constexpr int kDialogWaitMs = 60000;
inline constexpr int kDialogPollMs = 10;
inline constexpr const char* kAnsweredProperty = "varnelTestAnswered";

// Makes a window the active one, as a dialog is for a user once it shows and the main window
// once the dialog is gone (the test platform has no window manager to do it), so keys reach it.
inline void Activate(QWidget& window) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// Shows the window and waits until it is the active one, so its shortcuts and mnemonics work.
inline void ShowActive(QMainWindow& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// The visible top-level dialog of type T that no earlier answer took; null when there is none.
template <typename T>
T* UnansweredDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<T*>(widget);
        if (dialog && dialog->isVisible() && !dialog->property(kAnsweredProperty).toBool()) return dialog;
    }
    return nullptr;
}

// Works the dialog of type T with `act` once it shows and `ready` holds for it, however long the
// command takes to open it (its waits let timers run): call it, then start the command. A dialog
// that does not show in time fails the test. Several may be armed at once; they take the dialogs
// in the order they were armed. WhenShownAfterWaits takes a dialog as soon as it shows.
template <typename T>
void WhenReadyAfterWaits(const std::function<bool(T&)>& ready, const std::function<void(T&)>& act,
                         int limitMs = kDialogWaitMs) {
    auto* poll = new QTimer(qApp);
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, waited, ready, act, limitMs] {
        *waited += kDialogPollMs;
        T* dialog = UnansweredDialog<T>();
        // Only what the user can reach: the modal dialog on top, or a window no dialog blocks.
        QWidget* modal = QApplication::activeModalWidget();
        if (dialog && modal && modal != dialog) dialog = nullptr;
        if (dialog && !ready(*dialog)) dialog = nullptr;
        if (!dialog && *waited < limitMs) return;
        poll->stop();
        poll->deleteLater();
        ASSERT_NE(dialog, nullptr) << "no dialog showed within " << limitMs << " ms";
        dialog->setProperty(kAnsweredProperty, true);
        act(*dialog);
    });
    poll->start(kDialogPollMs);
}

template <typename T>
void WhenShownAfterWaits(const std::function<void(T&)>& act, int limitMs = kDialogWaitMs) {
    WhenReadyAfterWaits<T>([](T&) { return true; }, act, limitMs);
}

// The top-level menu of the menu bar titled `title` ("&File").
inline QAction* MenuTitled(QMainWindow& window, const QString& title) {
    for (QAction* action : window.menuBar()->actions())
        if (action->text() == title) return action;
    return nullptr;
}

// Opens a menu with the mouse and clicks its item whose text begins with `item`; `beforeTheClick`
// runs once the menu shows.
inline void ClickMenuItem(QMainWindow& window, const QString& title, const QString& item,
                          const std::function<void()>& beforeTheClick = {}) {
    QAction* menuAction = MenuTitled(window, title);
    ASSERT_NE(menuAction, nullptr) << title.toStdString();
    QMenuBar* bar = window.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(menuAction).center());
    QMenu* menu = menuAction->menu();
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
    QAction* target = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().startsWith(item)) target = action;
    ASSERT_NE(target, nullptr) << item.toStdString();
    if (beforeTheClick) beforeTheClick();
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(target).center());
}

// Opens a menu with Alt and its access key, then picks an item by its access key.
inline void PressMenuKeys(QMainWindow& window, Qt::Key menuKey, Qt::Key itemKey) {
    Activate(window);
    QTest::keyClick(&window, menuKey, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
    QTest::keyClick(QApplication::activePopupWidget(), itemKey);
}

// A key with its modifiers (a shortcut such as Ctrl+S) pressed in the window.
inline void PressKey(QMainWindow& window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    Activate(window);
    QTest::keyClick(&window, key, modifiers);
}

// Clicks the toolbar button of `action`.
inline void ClickToolButton(QToolBar& toolBar, QAction* action) {
    ASSERT_NE(action, nullptr);
    QWidget* button = toolBar.widgetForAction(action);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Keys go where the application sends them: to an open popup (the list of matching names a name
// box offers), else to `widget`.
inline QWidget* KeyTarget(QWidget* widget) {
    QWidget* popup = QApplication::activePopupWidget();
    return popup ? popup : widget;
}

// Types `name` (relative to the dialog's folder) into a file dialog's name box and presses Enter.
inline void TypeFileName(QFileDialog& dialog, const std::string& name) {
    Activate(dialog);
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    for (char c : name) QTest::keyClick(KeyTarget(edit), c);
    QTest::keyClick(KeyTarget(edit), Qt::Key_Return);
}

// The next file dialog gets `name`, relative to the folder it shows; `title` receives its caption.
inline void AnswerFileDialog(const std::string& name, std::string* title = nullptr) {
    WhenShownAfterWaits<QFileDialog>([name, title](QFileDialog& dialog) {
        if (title) *title = dialog.windowTitle().toStdString();
        TypeFileName(dialog, name);
    });
}

// The next message box gets `key` (Return for its default button, Y or N for a question);
// `text` receives what it said.
inline void AnswerBox(Qt::Key key, std::string* text = nullptr) {
    WhenShownAfterWaits<QMessageBox>([key, text](QMessageBox& box) {
        if (text) *text = box.text().toStdString();
        Activate(box);
        QTest::keyClick(&box, key);
    });
}

// The next save question gets a click on `button` (Save, Discard or Cancel); `text` and `caption`
// receive what it said and its title.
inline void AnswerSaveQuestion(QMessageBox::StandardButton button, std::string* text = nullptr,
                               std::string* caption = nullptr) {
    WhenShownAfterWaits<QMessageBox>([button, text, caption](QMessageBox& box) {
        if (text) *text = box.text().toStdString();
        if (caption) *caption = box.windowTitle().toStdString();
        Activate(box);
        QAbstractButton* target = box.button(button);
        ASSERT_NE(target, nullptr) << "the box has no such button";
        QTest::mouseClick(target, Qt::LeftButton);
    });
}

// Answers every message box that shows while it lives with Enter, keeping their texts and
// captions: for
// commands that may report more than once.
class EveryBoxAnswered {
public:
    EveryBoxAnswered() {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            QMessageBox* box = UnansweredDialog<QMessageBox>();
            if (!box || QApplication::activeModalWidget() != box) return;
            box->setProperty(kAnsweredProperty, true);
            texts.push_back(box->text().toStdString());
            captions.push_back(box->windowTitle().toStdString());
            Activate(*box);
            QTest::keyClick(box, Qt::Key_Return);
        });
        poll_.start(kDialogPollMs);
    }

    std::vector<std::string> texts;
    std::vector<std::string> captions;

private:
    QTimer poll_;
};

}  // namespace varnel::test
