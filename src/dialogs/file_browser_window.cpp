#include "dialogs/file_browser_window.h"

#include "app/program.h"

namespace ziq {

FileBrowserWindow::FileBrowserWindow(Program& program, QWidget* parent)
    : QWidget(parent), program_(program) {
    setObjectName(QStringLiteral("frmFileBrowser"));
    setWindowTitle(QStringLiteral("ZIQ Browse for File or Directory"));
}

FileBrowserWindow::~FileBrowserWindow() = default;

} // namespace ziq
