#include "dialogs/about_window.h"

#include "app/program.h"

namespace ziq {

AboutWindow::AboutWindow(Program& program, QWidget* parent) : QWidget(parent), program_(program) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ZIQ2"));
}

AboutWindow::~AboutWindow() = default;

} // namespace ziq
