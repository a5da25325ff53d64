#include "dialogs/drive_list.h"

#include "platform/system/app_info.h"

#include <QDir>
#include <QStorageInfo>
#include <algorithm>

namespace ziq {

namespace {

QString withSlash(QString path) {
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    return path;
}

Qt::CaseSensitivity pathCase() {
    return kPathsIgnoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

} // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    setVolumes(mountedVolumes());
}

QList<Volume> DriveList::lettersToVolumes(unsigned long driveMask,
                                          const std::function<DriveKind(const QString&)>& kindOf,
                                          const std::function<QString(const QString&)>& labelOf) {
    QList<Volume> volumes;
    for (int letter = 0; letter < 26; ++letter) {
        if ((driveMask & (1UL << letter)) == 0) {
            continue;
        }
        const QString root = QString(QChar(u'A' + letter)) + QStringLiteral(":/");
        volumes.push_back({root, kindOf(root) == DriveKind::Fixed ? labelOf(root) : QString()});
    }
    return volumes;
}

#ifndef Q_OS_WIN
QList<Volume> DriveList::mountedVolumes() {
    QList<Volume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        // Volumes that cannot be read stay listed: choosing one is how the user finds out.
        const QString root = withSlash(QDir::fromNativeSeparators(storage.rootPath()));
        QString label = storage.name();
        if (label.isEmpty()) {
            label = QString::fromLocal8Bit(storage.device());
        }
        volumes.push_back({root, label});
    }
    std::sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) {
        return a.root.compare(b.root, Qt::CaseInsensitive) < 0;
    });
    return volumes;
}

QString DriveList::mountRootHolding(const QString& folder) {
    const QStorageInfo storage(folder);
    return storage.isValid() ? withSlash(QDir::fromNativeSeparators(storage.rootPath()))
                             : QString();
}
#endif

void DriveList::setVolumes(const QList<Volume>& volumes) {
    const QSignalBlocker quiet(this);
    clear();
    volumes_ = volumes;
    for (const Volume& volume : volumes_) {
        const QString root = QDir::toNativeSeparators(volume.root);
        addItem(volume.label.isEmpty() ? root : QStringLiteral("%1  [%2]").arg(root, volume.label));
    }
    setCurrentIndex(-1);
}

QString DriveList::drive() const {
    const int index = currentIndex();
    if (index < 0 || index >= volumes_.size()) {
        return {};
    }
    return QDir::toNativeSeparators(volumes_[index].root);
}

bool DriveList::setDrive(const QString& path) {
    const int index = indexHolding(path);
    if (index < 0) {
        return false;
    }
    setCurrentIndex(index);
    return true;
}

int DriveList::indexHolding(const QString& path) const {
    if (path.isEmpty()) {
        return -1;
    }
    const QString folder = withSlash(QDir::cleanPath(QDir::fromNativeSeparators(path)));
    // The mount table knows best, also across symbolic links; for a folder that is gone,
    // the longest listed root it starts with is the answer.
    if (const QString root = mountRootHolding(folder); !root.isEmpty()) {
        for (int i = 0; i < volumes_.size(); ++i) {
            if (volumes_[i].root.compare(root, pathCase()) == 0) {
                return i;
            }
        }
    }
    int best = -1;
    for (int i = 0; i < volumes_.size(); ++i) {
        const QString& root = volumes_[i].root;
        if (folder.startsWith(root, pathCase()) &&
            (best < 0 || root.size() > volumes_[best].root.size())) {
            best = i;
        }
    }
    return best;
}

} // namespace ziq
