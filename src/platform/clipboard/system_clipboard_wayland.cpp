#include "platform/clipboard/system_clipboard.h"

#include "platform/clipboard/qt_clipboard.h"
#include "platform/clipboard/wayland/wayland_clipboard.h"

namespace ziq {

std::unique_ptr<SystemClipboard> openSystemClipboard() {
    if (auto wayland = WaylandClipboard::connect()) {
        return wayland;
    }
    return std::make_unique<QtClipboard>();
}

} // namespace ziq
