#include "platform/desktop/tray_host.h"

#include <QWidget>

#include <windows.h>

namespace ziq {

namespace {

HWND topWindowOf(QWidget& widget) {
    return reinterpret_cast<HWND>(widget.window()->winId());
}

} // namespace

// Windows' rule for a notification icon's menu: its owner in front while it is open, then a
// benign message to make the switch away from it take.
void SystemTrayHost::menuOpening(QWidget& owner) {
    SetForegroundWindow(topWindowOf(owner));
}

void SystemTrayHost::menuClosed(QWidget& owner) {
    PostMessageW(topWindowOf(owner), WM_NULL, 0, 0);
}

} // namespace ziq
