#include "platform/clipboard/clipboard_sequence.h"

#include <windows.h>

namespace ziq {

std::optional<std::uint32_t> clipboardSequenceNumber() {
    const DWORD number = GetClipboardSequenceNumber();
    return number != 0 ? std::optional<std::uint32_t>(number) : std::nullopt; // 0: no access
}

} // namespace ziq
