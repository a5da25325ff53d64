#include "dialogs/drive_list.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <QDir>

// Drives as Windows lists them, without touching a volume that may not answer: the toolkit's
// volume list reads every drive's label and free space, and an offline network drive holds
// that call (and the window) for as long as the network takes to give up.
namespace ziq {

namespace {

std::wstring nativeRoot(const QString& root) {
    return QDir::toNativeSeparators(root).toStdWString();
}

DriveList::DriveKind kindOf(const QString& root) {
    const UINT type = GetDriveTypeW(nativeRoot(root).c_str());
    return type == DRIVE_FIXED || type == DRIVE_RAMDISK ? DriveList::DriveKind::Fixed
                                                        : DriveList::DriveKind::Other;
}

QString labelOf(const QString& root) {
    wchar_t label[MAX_PATH + 1] = {};
    // No "insert a disk" box for a drive whose medium is gone.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    const BOOL read = GetVolumeInformationW(nativeRoot(root).c_str(), label, MAX_PATH + 1, nullptr,
                                            nullptr, nullptr, nullptr, 0);
    SetErrorMode(oldMode);
    return read ? QString::fromWCharArray(label) : QString();
}

} // namespace

QList<Volume> DriveList::mountedVolumes() {
    // Drives that cannot be read stay listed: choosing one is how the user finds out.
    return lettersToVolumes(GetLogicalDrives(), kindOf, labelOf);
}

QString DriveList::mountRootHolding(const QString&) {
    return {}; // the drive letter the folder starts with tells
}

} // namespace ziq
