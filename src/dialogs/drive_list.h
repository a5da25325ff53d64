#pragma once

#include <QComboBox>
#include <QList>
#include <QString>
#include <functional>

namespace ziq {

// One entry of the drive list: a mounted volume (a drive on Windows).
struct Volume {
    QString root;  // Qt form, always ending in '/': "/", "/media/usb/", "C:/"
    QString label; // shown beside the root; may be empty
};

// The drive list `Drive1`: the mounted volumes, one of them current. Changing the current
// volume, by the user or by the program, raises currentIndexChanged.
class DriveList final : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    static QList<Volume> mountedVolumes();

    // The drives of a Windows drive mask (bit 0 is A:), roots "A:/" to "Z:/". Only local fixed
    // drives are asked for their label: asking a network drive that is offline, or an empty
    // removable one, can hold the window for many seconds.
    enum class DriveKind { Fixed, Other };
    static QList<Volume> lettersToVolumes(unsigned long driveMask,
                                          const std::function<DriveKind(const QString&)>& kindOf,
                                          const std::function<QString(const QString&)>& labelOf);

    // Replaces the entries; none is current afterwards.
    void setVolumes(const QList<Volume>& volumes);
    QList<Volume> volumes() const { return volumes_; }

    // The current volume's root in native form ("/", "C:\"); empty when none is current.
    QString drive() const;
    // Makes the volume that holds `path` current. False, and nothing changes, when no listed
    // volume holds it.
    bool setDrive(const QString& path);

private:
    int indexHolding(const QString& path) const;
    // The root of the mounted volume that holds `folder`, as the system reports it; empty
    // where only the listed roots can tell.
    static QString mountRootHolding(const QString& folder);

    QList<Volume> volumes_;
};

} // namespace ziq
