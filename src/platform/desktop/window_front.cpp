#include "platform/desktop/window_front.h"

#include <QWidget>

namespace ziq {

void bringForward(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace ziq
