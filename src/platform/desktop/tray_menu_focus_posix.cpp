#include "platform/desktop/tray_host.h"

namespace ziq {

// X11 and Wayland menus take the keyboard and close at a click elsewhere by themselves.
void SystemTrayHost::menuOpening(QWidget& /*owner*/) {}

void SystemTrayHost::menuClosed(QWidget& /*owner*/) {}

} // namespace ziq
