#include "capture/to_text_window.h"

#include "app/program.h"

namespace ziq {

ToTextWindow::ToTextWindow(Program& program, QWidget* parent) : QWidget(parent), program_(program) {
    setObjectName(QStringLiteral("frmToText"));
    setWindowTitle(QStringLiteral("Recent Clipboard Text"));
}

ToTextWindow::~ToTextWindow() = default;

} // namespace ziq
