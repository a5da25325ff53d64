#include "platform/desktop/tray_host.h"

namespace ziq {

// Outside the Linux desktop the tray reports the icon's own mouse events.
TrayKind SystemTrayHost::kind() {
    return TrayKind::IconEvents;
}

} // namespace ziq
