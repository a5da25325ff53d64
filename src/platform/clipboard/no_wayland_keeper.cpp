#include "platform/clipboard/wayland_keeper.h"

namespace ziq {

// Built without Wayland support.
bool serveTextOnWayland(const std::string&, const std::function<void(bool)>& ready) {
    ready(false);
    return false;
}

} // namespace ziq
