#include "dialogs/directory_list.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace ziq {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kIndentSpaces = 2;

// The folders from the root down to `folder`, each as an absolute path in Qt form.
QStringList chainTo(const QString& folder) {
    QStringList chain;
    QDir dir(folder);
    chain.prepend(dir.absolutePath());
    while (dir.cdUp()) {
        chain.prepend(dir.absolutePath());
    }
    return chain;
}

QString entryName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? QDir::toNativeSeparators(path) : name; // a root has no name
}

} // namespace

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Refilling the list deletes the activated item, so the move waits until the view has
    // finished with it.
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QString folder = item->data(kPathRole).toString();
        QMetaObject::invokeMethod(
            this, [this, folder] { setPath(folder); }, Qt::QueuedConnection);
    });
}

QString DirectoryList::path() const {
    return QDir::toNativeSeparators(path_);
}

bool DirectoryList::setPath(const QString& folder) {
    if (folder.isEmpty()) {
        return false;
    }
    const QFileInfo info(QDir::fromNativeSeparators(folder));
    if (!info.isAbsolute() || !info.isDir() || !info.isReadable() || !info.isExecutable()) {
        return false;
    }
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    if (!QDir(clean).isReadable()) {
        return false;
    }
    if (clean == path_) {
        return true;
    }
    path_ = clean;
    fill();
    emit pathChanged();
    return true;
}

void DirectoryList::fill() {
    clear();
    const QIcon openFolder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedFolder = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QStringList chain = chainTo(path_);
    int depth = 0;
    QListWidgetItem* current = nullptr;
    for (const QString& folder : chain) {
        auto* item = new QListWidgetItem(
            openFolder, QString(depth * kIndentSpaces, QLatin1Char(' ')) + entryName(folder), this);
        item->setData(kPathRole, folder);
        item->setToolTip(QDir::toNativeSeparators(folder));
        current = item;
        ++depth;
    }
    const QDir dir(path_);
    const QFileInfoList children =
        dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& child : children) {
        auto* item = new QListWidgetItem(
            closedFolder, QString(depth * kIndentSpaces, QLatin1Char(' ')) + child.fileName(),
            this);
        item->setData(kPathRole, QDir::cleanPath(child.absoluteFilePath()));
        item->setToolTip(QDir::toNativeSeparators(child.absoluteFilePath()));
    }
    setCurrentItem(current);
    scrollToItem(current);
}

} // namespace ziq
