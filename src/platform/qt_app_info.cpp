#include "platform/qt_app_info.h"

#include <QCoreApplication>
#include <QDir>

namespace ziq {

AppInfo appInfoFromApplication(const QStringList& arguments) {
    AppInfo info;
    info.programDir =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    info.commandLine = arguments.mid(1).join(QLatin1Char(' ')).toStdString();
    return info;
}

} // namespace ziq
