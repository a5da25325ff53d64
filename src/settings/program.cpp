#include "settings/program.h"

namespace ziq {

Program::Program(AppInfo appInfo, Seams seams) : Seams(seams) {
    app = std::move(appInfo);
}

void Program::showMessage(std::string_view text, MessageIcon icon) {
    messages.show(text, icon, appTitle);
}

} // namespace ziq
