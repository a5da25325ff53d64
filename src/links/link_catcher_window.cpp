#include "links/link_catcher_window.h"

#include "app/program.h"

namespace ziq {

LinkCatcherWindow::LinkCatcherWindow(Program& program, QWidget* parent)
    : QWidget(parent), program_(program) {
    setObjectName(QStringLiteral("frmLinkCatcher"));
    setWindowTitle(QStringLiteral("Link Catcher"));
}

LinkCatcherWindow::~LinkCatcherWindow() = default;

} // namespace ziq
