#pragma once

class QWidget;

namespace ziq {

// Shows a window, raises it above the others and gives it the focus.
void bringForward(QWidget& window);

} // namespace ziq
