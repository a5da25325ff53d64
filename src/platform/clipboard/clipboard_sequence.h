#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace ziq {

// The system's count of clipboard changes, which a read may ask for at any moment: it tells
// whether the content read is the content looked at before. Windows keeps one; an X server
// reports every new owner (XFixes), which a connection of our own counts.
class ClipboardSequence {
public:
    // Nothing where the system keeps no such count, or it cannot be had.
    static std::unique_ptr<ClipboardSequence> open();
    virtual ~ClipboardSequence() = default;
    // The count now, every change reported so far taken in; nothing when it cannot be had.
    virtual std::optional<std::uint32_t> now() = 0;
};

} // namespace ziq
