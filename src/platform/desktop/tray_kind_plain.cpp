#include "platform/desktop/tray_host.h"

namespace ziq {

// Outside the Linux desktop the tray reports the icon's own mouse events, and the system keeps
// an icon until its tray is there.
struct SystemTrayHost::Watch {};

SystemTrayHost::SystemTrayHost() = default;
SystemTrayHost::~SystemTrayHost() = default;

TrayKind SystemTrayHost::kind() {
    return TrayKind::IconEvents;
}

void SystemTrayHost::watchForTray(std::function<void()> /*appeared*/) {}

} // namespace ziq
