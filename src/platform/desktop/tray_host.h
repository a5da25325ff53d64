#pragma once

#include <chrono>

namespace ziq {

enum class TrayKind {
    // The icon gets its own mouse events and the program pops its menu up itself: XEmbed
    // trays, the Windows shell.
    IconEvents,
    // A host on D-Bus draws the item and its exported menu and sends one Activate per click
    // or a ContextMenu request.
    StatusNotifierItem,
};

// What the tray icon needs from the desktop it lives in.
class TrayHost {
public:
    virtual ~TrayHost() = default;
    // The kind of tray that an icon created now goes to.
    virtual TrayKind kind() = 0;
    // A clock that never jumps, to tell a double click from two clicks.
    virtual std::chrono::milliseconds now() = 0;
    virtual std::chrono::milliseconds doubleClickInterval() = 0;
};

class SystemTrayHost final : public TrayHost {
public:
    TrayKind kind() override;
    std::chrono::milliseconds now() override;
    std::chrono::milliseconds doubleClickInterval() override;
};

} // namespace ziq
