#include "platform/system/qt_app_info.h"

#include "platform/system/executable_directory.h"
#include "platform/system/file_folders.h"

#include <QCoreApplication>
#include <QDir>

namespace ziq {

AppInfo appInfoFromApplication(const QStringList& arguments) {
    AppInfo info;
    info.programDir = executableDirectory();
    if (info.programDir.empty()) {
        // A system that does not say where the program is: ask the toolkit instead.
        info.programDir =
            QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    }
    const FileFolders folders = fileFoldersFor(info.programDir);
    info.settingsDir = folders.settings;
    info.logDir = folders.logs;
    info.commandLine = arguments.mid(1).join(QLatin1Char(' ')).toStdString();
    return info;
}

} // namespace ziq
