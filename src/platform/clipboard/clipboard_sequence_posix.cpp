#include "platform/clipboard/clipboard_sequence.h"

namespace ziq {

// X11 and Wayland count no changes that a read could ask for.
std::optional<std::uint32_t> clipboardSequenceNumber() {
    return std::nullopt;
}

} // namespace ziq
