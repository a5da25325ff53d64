#pragma once

#include "platform/message_boxes.h"
#include "settings/program_state.h"

#include <memory>
#include <string_view>

namespace ziq {

class Clipboard;
class Clock;
class Desktop;
class Registry;
class InstanceChannel;
class TrayHost;
class Form1;
class ToTextWindow;
class LinkCatcherWindow;
class OptionsWindow;
class FileBrowserWindow;
class AboutWindow;

// The world outside the program; tests hand in doubles.
struct Seams {
    Clipboard& clipboard;
    MessageBoxes& messages;
    Clock& clock;
    Desktop& desktop;
    Registry& registry;
    InstanceChannel& instance;
    TrayHost& trayHost;
};

// Program-wide state and the one reference to each window, handed to every window.
class Program final : public ProgramState {
public:
    Program(AppInfo appInfo, Seams seams);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Clipboard& clipboard;
    MessageBoxes& messages;
    Clock& clock;
    Desktop& desktop;
    Registry& registry;
    InstanceChannel& instance;
    TrayHost& trayHost;

    // A modal box captioned with the application title.
    void showMessage(std::string_view text, MessageIcon icon);

    // Loads the hidden main window, which is the program's start-up. False when this copy
    // must end at once (another copy runs).
    bool start();

    std::unique_ptr<Form1> form1;
    // Live from start-up to shutdown.
    std::unique_ptr<ToTextWindow> frmToText;
    std::unique_ptr<LinkCatcherWindow> frmLinkCatcher;
    // Created when first shown, discarded when closed.
    std::unique_ptr<OptionsWindow> frmOptions;
    std::unique_ptr<FileBrowserWindow> frmFileBrowser;
    std::unique_ptr<AboutWindow> frmAbout;

    OptionsWindow& options();
    FileBrowserWindow& fileBrowser();
    AboutWindow& about();
    // Drops the reference now; the window is deleted once control is back in the event loop,
    // since this usually runs inside one of the window's own handlers.
    void discardOptions();
    void discardFileBrowser();
    void discardAbout();
};

} // namespace ziq
