#pragma once

#include <chrono>
#include <functional>
#include <memory>

class QWidget;

namespace ziq {

enum class TrayKind {
    // No tray on the desktop yet: an icon made now would never be shown.
    None,
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
    // Calls `appeared`, queued on the GUI thread, whenever a tray may have come up, until it is
    // called again with an empty function (which `appeared` itself may do).
    virtual void watchForTray(std::function<void()> appeared) = 0;
    // A clock that never jumps, to tell a double click from two clicks.
    virtual std::chrono::milliseconds now() = 0;
    virtual std::chrono::milliseconds doubleClickInterval() = 0;
    // Around a menu the program pops up at its icon, `owner` being the icon's window. Windows
    // gives such a menu the keyboard, and closes it at a click elsewhere, only when a window
    // of its program was made the foreground window first, and shows it right the next time
    // only after a message posted once it has closed.
    virtual void menuOpening(QWidget& owner) { (void)owner; }
    virtual void menuClosed(QWidget& owner) { (void)owner; }
};

class SystemTrayHost final : public TrayHost {
public:
    SystemTrayHost();
    ~SystemTrayHost() override;
    SystemTrayHost(const SystemTrayHost&) = delete;
    SystemTrayHost& operator=(const SystemTrayHost&) = delete;

    TrayKind kind() override;
    void watchForTray(std::function<void()> appeared) override;
    std::chrono::milliseconds now() override;
    std::chrono::milliseconds doubleClickInterval() override;
    void menuOpening(QWidget& owner) override;
    void menuClosed(QWidget& owner) override;

private:
    struct Watch;
    std::unique_ptr<Watch> watch_;
};

} // namespace ziq
