#include "platform/desktop/text_viewer.h"

#include "platform/desktop/desktop.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <QDir>
#include <QFileInfo>

namespace ziq {

namespace {

// Notepad by its full path: a bare name is looked up in the working folder and the PATH
// first, where any notepad.exe may lie. Windows keeps it in its own folder; Windows 11 may
// have it in System32 only.
QString notepadPath() {
    wchar_t folder[MAX_PATH];
    for (const auto folderOf : {GetWindowsDirectoryW, GetSystemDirectoryW}) {
        const UINT length = folderOf(folder, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            const QString path = QDir(QString::fromWCharArray(folder, static_cast<int>(length)))
                                     .filePath(QStringLiteral("notepad.exe"));
            if (QFileInfo(path).isFile()) {
                return QDir::toNativeSeparators(path);
            }
        }
    }
    return {};
}

} // namespace

// Notepad itself tells the user about a file it cannot open; only a Notepad that does not
// start is ours to report.
TextFileOpening openTextFile(Desktop& desktop, const QString& path) {
    const QString notepad = notepadPath();
    if (notepad.isEmpty() || !desktop.startProgram(notepad, {path})) {
        return TextFileOpening::FailedUntold;
    }
    return TextFileOpening::Handed;
}

} // namespace ziq
