#include "app/program.h"

#include "app/form1.h"
#include "capture/to_text_window.h"
#include "dialogs/about_window.h"
#include "dialogs/file_browser_window.h"
#include "links/link_catcher_window.h"
#include "settings/options_window.h"

namespace ziq {

namespace {
template <typename Window> Window& created(std::unique_ptr<Window>& slot, Program& program) {
    if (!slot) {
        slot = std::make_unique<Window>(program);
    }
    return *slot;
}

template <typename Window> void discard(std::unique_ptr<Window>& slot) {
    if (slot) {
        slot->hide();
        slot.release()->deleteLater();
    }
}
} // namespace

Program::Program(AppInfo appInfo, Seams seams)
    : clipboard(seams.clipboard), messages(seams.messages), clock(seams.clock),
      desktop(seams.desktop), registry(seams.registry), instance(seams.instance),
      trayHost(seams.trayHost) {
    app = std::move(appInfo);
}

Program::~Program() {
    // Windows refer to the program; let them go before anything else does.
    frmAbout.reset();
    frmFileBrowser.reset();
    frmLinkCatcher.reset();
    frmOptions.reset();
    frmToText.reset();
    form1.reset();
}

void Program::showMessage(std::string_view text, MessageIcon icon) {
    messages.show(text, icon, appTitle);
}

bool Program::start() {
    form1 = std::make_unique<Form1>(*this);
    return form1->load();
}

OptionsWindow& Program::options() {
    return created(frmOptions, *this);
}
FileBrowserWindow& Program::fileBrowser() {
    return created(frmFileBrowser, *this);
}
AboutWindow& Program::about() {
    return created(frmAbout, *this);
}
void Program::discardOptions() {
    discard(frmOptions);
}
void Program::discardFileBrowser() {
    discard(frmFileBrowser);
}
void Program::discardAbout() {
    discard(frmAbout);
}

} // namespace ziq
