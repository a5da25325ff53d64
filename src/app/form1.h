#pragma once

#include <QWidget>
#include <cstdint>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace ziq {

class Program;

// The hidden main window: owns the tray icon and its menu. Loading it is the program's
// start-up, unloading it the shutdown.
class Form1 final : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Program& program, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up. False when this copy must end at once.
    bool load();
    // Shutdown: removes the tray icon, closes every window and ends the event loop.
    void unload();

    QWidget* pichook = nullptr;
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

private:
    void buildMenu();
    void addTrayIcon();
    void deleteTrayIcon();
    void showViewers();

    Program& program_;
};

} // namespace ziq
