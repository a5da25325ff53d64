#include "platform/clipboard/system_clipboard.h"

#include "platform/clipboard/qt_clipboard.h"

namespace ziq {

std::unique_ptr<SystemClipboard> openSystemClipboard() {
    return std::make_unique<QtClipboard>();
}

} // namespace ziq
