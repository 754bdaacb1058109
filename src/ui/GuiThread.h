#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <optional>
#include <type_traits>
#include <utility>

namespace varnel {

// True on the thread that owns the widgets (or when there is no application object yet).
inline bool OnGuiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

// Runs `call` on the widgets' thread and waits for its result. A printer operation running
// beside the window shows its boxes and dialogs this way, in order, and waits for the answer
// as it would on the widgets' thread. Called there, it simply runs `call`.
template <typename Call>
auto RunOnGuiThread(Call&& call) -> std::invoke_result_t<Call&> {
    using Result = std::invoke_result_t<Call&>;
    if (OnGuiThread()) return call();
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [&call] { call(); }, Qt::BlockingQueuedConnection);
    } else {
        std::optional<Result> result;
        QMetaObject::invokeMethod(QCoreApplication::instance(), [&call, &result] { result.emplace(call()); },
                                  Qt::BlockingQueuedConnection);
        return std::move(*result);
    }
}

}  // namespace varnel
