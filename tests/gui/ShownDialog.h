#pragma once

#include <QApplication>
#include <QWidget>

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

}  // namespace varnel::test
