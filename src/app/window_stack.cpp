#include "app/window_stack.h"

#include <QApplication>
#include <QEvent>
#include <algorithm>

namespace ziq {

namespace {
// Ordinary windows and dialogs; the tray icon's own window, menus and tool-tips do not count.
bool isUserWindow(const QWidget* widget) {
    if (widget == nullptr || !widget->isWindow()) {
        return false;
    }
    const Qt::WindowType type = widget->windowType();
    return (type == Qt::Window || type == Qt::Dialog) &&
           !widget->windowFlags().testFlag(Qt::BypassWindowManagerHint);
}
} // namespace

WindowStack::WindowStack(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

WindowStack::~WindowStack() {
    qApp->removeEventFilter(this);
}

bool WindowStack::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::WindowActivate) && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (isUserWindow(widget)) {
            std::erase_if(recent_, [widget](const QPointer<QWidget>& seen) {
                return seen.isNull() || seen == widget;
            });
            recent_.insert(recent_.begin(), widget);
        }
    }
    return false;
}

QWidget* WindowStack::top() const {
    QWidget* modal = QApplication::activeModalWidget();
    if (isUserWindow(modal) && modal->isVisible()) {
        return modal;
    }
    const auto found = std::find_if(recent_.begin(), recent_.end(), [](const QPointer<QWidget>& w) {
        return !w.isNull() && w->isVisible();
    });
    return found == recent_.end() ? nullptr : found->data();
}

bool WindowStack::bringTopForward() {
    QWidget* window = top();
    if (window == nullptr) {
        return false;
    }
    if (window->isMinimized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

} // namespace ziq
