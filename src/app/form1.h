#pragma once

#include "app/double_activate.h"
#include "platform/desktop/tray_host.h"

#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdint>

class QAction;
class QMenu;

namespace ziq {

class Application;
class Program;
class WindowStack;

// The hidden main window: owns the tray icon and its menu. Loading it is the program's
// start-up, unloading it the shutdown.
class Form1 final : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Application& app, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up. False when this copy must end at once: another copy runs, or the program was
    // unloaded (Exit, a signal) while a box of the start-up was open.
    bool load();
    // Shutdown: removes the tray icon, closes every window and ends the event loop.
    void unload();

    // A mouse event on the tray icon, as its message code (tray_message.h). A right button
    // release opens the menu, a left double click the options window and the menu.
    void pichookMouseMove(std::int32_t message);

    QMenu* mnuBar = nullptr;
    QAction* menu2 = nullptr;
    QAction* mnuCatcher = nullptr;
    QAction* mnuClearClip = nullptr;
    QAction* mnuOnOff = nullptr;
    QAction* mnuOptions = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuCancel = nullptr;
    QAction* mnuExit = nullptr;
    QSystemTrayIcon* trayIcon = nullptr;

    // The message code of the latest tray notification.
    std::int32_t trayMessage = 0;
    // True while a tray notification is handled, the whole time the menu is open included.
    // A menu that a StatusNotifierItem host draws by itself does not count.
    bool menuBusy = false;
    // Where the icon went when it was added.
    TrayKind trayKind = TrayKind::IconEvents;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void addTrayIcon();
    void deleteTrayIcon();
    std::int32_t trayMessageOf(QSystemTrayIcon::ActivationReason reason);
    void showViewers();
    void popUpMenu();
    bool comeForward(const std::string& title);

    void menu2Click();
    void mnuCatcherClick();
    void mnuClearClipClick();
    void mnuOnOffClick();
    void mnuOptionsClick();
    void mnuAboutClick();
    void mnuCancelClick();

    // The tray icon's notifications arrive here; nothing else sees it.
    QWidget* pichook = nullptr;
    Application& app_;
    Program& program_;
    WindowStack* windows_ = nullptr;
    DoubleActivate doubleActivate_;
};

} // namespace ziq
