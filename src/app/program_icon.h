#pragma once

#include <QIcon>

namespace ziq {

// The program's icon, in the tray and on its windows.
QIcon programIcon();

} // namespace ziq
