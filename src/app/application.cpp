#include "app/application.h"

#include "app/form1.h"
#include "capture/clipboard_poller.h"
#include "capture/to_text_window.h"
#include "dialogs/about_window.h"
#include "dialogs/file_browser_window.h"
#include "links/link_catcher_window.h"
#include "platform/desktop/window_front.h"
#include "settings/options_window.h"
#include "settings/program.h"

#include <QAction>

namespace ziq {

namespace {
template <typename Window> void discard(std::unique_ptr<Window>& slot) {
    if (slot) {
        slot->hide();
        slot.release()->deleteLater();
    }
}
} // namespace

Application::Application(Program& programState, QObject* parent)
    : QObject(parent), program(programState), form1(std::make_unique<Form1>(*this)) {}

Application::~Application() {
    // Windows refer to each other through this object; let them go in shutdown order.
    frmAbout.reset();
    frmFileBrowser.reset();
    frmLinkCatcher.reset();
    frmOptions.reset();
    frmToText.reset();
    form1.reset();
}

bool Application::start() {
    return form1->load();
}

// Every connection is direct: a receiver runs inside the announcement, so the tick, and
// the change handlers inside it, go on only once it is done.
void Application::loadViewers() {
    frmToText = std::make_unique<ToTextWindow>(program);
    frmLinkCatcher = std::make_unique<LinkCatcherWindow>(
        program, [this] { return frmToText ? frmToText->text() : QString(); });
    const ClipboardPoller& poller = frmToText->poller();
    connect(&poller, &ClipboardPoller::onOffCaptionChanged, form1->mnuOnOff, &QAction::setText);
    connect(&poller, &ClipboardPoller::linkCaught, frmLinkCatcher.get(),
            &LinkCatcherWindow::appendLink);
    connect(&poller, &ClipboardPoller::hitAndRunFinished, form1.get(), &Form1::unload);
}

OptionsWindow& Application::options() {
    if (!frmOptions) {
        frmOptions = std::make_unique<OptionsWindow>(program);
        OptionsWindow* window = frmOptions.get();
        connect(window, &OptionsWindow::folderBrowseRequested, this,
                [this](const QString& startFolder) { fileBrowser().browseFrom(startFolder); });
        connect(window, &OptionsWindow::aboutRequested, this, [this] { bringForward(about()); });
        connect(window, &OptionsWindow::closed, this, [this] {
            if (frmFileBrowser) {
                frmFileBrowser->close();
            }
            discardOptions();
        });
    }
    return *frmOptions;
}

FileBrowserWindow& Application::fileBrowser() {
    if (!frmFileBrowser) {
        frmFileBrowser = std::make_unique<FileBrowserWindow>(program, frmOptions.get());
        connect(frmFileBrowser.get(), &FileBrowserWindow::closed, this, [this] {
            if (frmOptions) {
                frmOptions->setEnabled(true);
            }
            discardFileBrowser();
        });
    }
    return *frmFileBrowser;
}

AboutWindow& Application::about() {
    if (!frmAbout) {
        frmAbout = std::make_unique<AboutWindow>(program);
        AboutWindow* window = frmAbout.get();
        // A late end of a window already discarded must not drop its successor.
        connect(window, &AboutWindow::closed, this, [this, window] {
            if (frmAbout.get() == window) {
                discardAbout();
            }
        });
    }
    return *frmAbout;
}

void Application::discardOptions() {
    discard(frmOptions);
}
void Application::discardFileBrowser() {
    discard(frmFileBrowser);
}
void Application::discardAbout() {
    discard(frmAbout);
}

} // namespace ziq
