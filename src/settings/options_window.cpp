#include "settings/options_window.h"

#include "app/program.h"

namespace ziq {

OptionsWindow::OptionsWindow(Program& program, QWidget* parent)
    : QWidget(parent), program_(program) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("ZIQ Options"));
}

OptionsWindow::~OptionsWindow() = default;

} // namespace ziq
