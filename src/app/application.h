#pragma once

#include <QObject>
#include <memory>

namespace ziq {

class Program;
class Form1;
class ToTextWindow;
class LinkCatcherWindow;
class OptionsWindow;
class FileBrowserWindow;
class AboutWindow;

// The composition root: holds the one reference to each window and connects what the
// windows announce to the windows that act on it. Only this folder knows every window.
class Application final : public QObject {
    Q_OBJECT
public:
    explicit Application(Program& program, QObject* parent = nullptr);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Loads the hidden main window, which is the program's start-up. False when this copy
    // must end at once (another copy runs).
    bool start();

    // Loads both viewer windows; loading the clipboard text window starts the poller.
    void loadViewers();
    OptionsWindow& options();
    FileBrowserWindow& fileBrowser();
    AboutWindow& about();
    // Drops the reference now; the window is deleted once control is back in the event loop,
    // since this usually runs inside one of the window's own handlers.
    void discardOptions();
    void discardFileBrowser();
    void discardAbout();

    Program& program;
    std::unique_ptr<Form1> form1;
    // Live from start-up to shutdown.
    std::unique_ptr<ToTextWindow> frmToText;
    std::unique_ptr<LinkCatcherWindow> frmLinkCatcher;
    // Created when first shown, discarded when closed.
    std::unique_ptr<OptionsWindow> frmOptions;
    std::unique_ptr<FileBrowserWindow> frmFileBrowser;
    std::unique_ptr<AboutWindow> frmAbout;
};

} // namespace ziq
