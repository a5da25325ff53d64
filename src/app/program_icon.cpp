#include "app/program_icon.h"

namespace ziq {

QIcon programIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/ziq.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/ziq_256.png"), QSize(256, 256));
    return icon;
}

} // namespace ziq
