// The control operations on Qt: direct on the main thread, a blocking queued call from any
// other thread, so that each has taken effect when it returns and one thread's calls keep
// their order.
#include "ControlHost.h"
#include "Controls.h"
#include "MainWindow.h"
#include "values/Gbk.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <type_traits>

namespace {

// Set and cleared on the main thread, read by any thread that calls an operation.
std::atomic<MainWindow*> g_host{nullptr};

// Runs the action on the window's thread and hands back its result; without a window it
// does nothing and gives an empty result. The window's thread must keep its event loop
// running for a call from another thread to complete.
template <typename Action> auto OnWindowThread(Action action) {
    using Result = std::invoke_result_t<Action, MainWindow&>;
    MainWindow* window = g_host.load();
    if (!window)
        return Result();
    if (QThread::currentThread() == window->thread())
        return action(*window);
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(
            window, [&] { action(*window); }, Qt::BlockingQueuedConnection);
    } else {
        Result result;
        QMetaObject::invokeMethod(
            window, [&] { result = action(*window); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

QString TextOf(const QWidget* widget) {
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    return QString();
}

void SetTextOf(QWidget* widget, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
}

} // namespace

void AttachControlHost(MainWindow* window) {
    g_host.store(window);
}

void DetachControlHost(MainWindow* window) {
    MainWindow* attached = window;
    g_host.compare_exchange_strong(attached, nullptr);
}

void SetControlText(Control control, const Text& text) {
    OnWindowThread([&](MainWindow& window) {
        SetTextOf(window.ControlWidget(control), QString::fromStdString(Utf8FromGbk(text.View())));
    });
}

void SetControlEnabled(Control control, bool enabled) {
    OnWindowThread([&](MainWindow& window) { window.ControlWidget(control)->setEnabled(enabled); });
}

// A character that the text holds beyond the first NUL is cut off, as a C string would be.
Text GetControlText(Control control) {
    return OnWindowThread([&](MainWindow& window) {
        return GbkFromUtf8(TextOf(window.ControlWidget(control)).toStdString());
    });
}
