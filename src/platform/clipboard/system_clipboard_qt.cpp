#include "platform/system_clipboard.h"

#include "platform/qt_clipboard.h"

namespace ziq {

std::unique_ptr<SystemClipboard> openSystemClipboard() {
    return std::make_unique<QtClipboard>();
}

} // namespace ziq
