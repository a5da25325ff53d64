#include "platform/clipboard/clipboard_flush.h"

namespace ziq {

// X11 and Wayland keep nothing apart from the owner: see keeper_launch.h.
bool flushClipboardForOthers() {
    return false;
}

} // namespace ziq
