#include "platform/clipboard/clipboard_sequence.h"

#include <windows.h>

namespace ziq {

namespace {

class WindowsSequence final : public ClipboardSequence {
public:
    std::optional<std::uint32_t> now() override {
        const DWORD number = GetClipboardSequenceNumber();
        return number != 0 ? std::optional<std::uint32_t>(number) : std::nullopt; // 0: no access
    }
};

} // namespace

std::unique_ptr<ClipboardSequence> ClipboardSequence::open() {
    return std::make_unique<WindowsSequence>();
}

} // namespace ziq
