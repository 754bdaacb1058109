#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace varnel::test {

// The visible top-level dialog of type T (and object name, when given) that a command under test
// is running modally; null when there is none. Found by type rather than as the active modal
// widget, which a dialog left open elsewhere could be.
template <typename T>
T* ShownDialog(const char* objectName = nullptr) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<T*>(widget);
        if (!dialog || !dialog->isVisible()) continue;
        if (objectName && dialog->objectName() != QLatin1String(objectName)) continue;
        return dialog;
    }
    return nullptr;
}

// Works the dialog of type T with `act` as soon as the event loop runs: call it, then start the
// command, whose modal dialog `act` must close. A command that shows no such dialog fails the test.
template <typename T>
void WhenShown(const std::function<void(T&)>& act, const char* objectName = nullptr) {
    QTimer::singleShot(0, [act, objectName] {
        T* dialog = ShownDialog<T>(objectName);
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

}  // namespace varnel::test
