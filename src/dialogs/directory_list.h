#pragma once

#include <QListWidget>
#include <QString>

namespace ziq {

// The directory list `Dir1`: the current folder with the folders above it, then the folders
// inside it. Activating an entry (double click, Enter) makes it the current folder.
class DirectoryList final : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryList(QWidget* parent = nullptr);

    // The current folder in native form, with a trailing separator only at a root ("/",
    // "C:\"); empty until a folder has been set.
    QString path() const;
    // Makes `folder` current. False, and the list keeps what it shows, when the folder does
    // not exist or cannot be read. Emits pathChanged when the current folder changes.
    bool setPath(const QString& folder);

signals:
    void pathChanged();

private:
    void fill();

    QString path_; // Qt form
};

} // namespace ziq
