#include "platform/desktop/tray_host.h"

#include <QGuiApplication>
#include <QStyleHints>

namespace ziq {

std::chrono::milliseconds SystemTrayHost::now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

std::chrono::milliseconds SystemTrayHost::doubleClickInterval() {
    return std::chrono::milliseconds(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

} // namespace ziq
