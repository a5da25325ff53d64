#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QString>

namespace ziq {

// A plain text for the toolkit's clipboard, served as one UTF-8 array. The toolkit's own text
// data converts its string to UTF-8 afresh for every paste, and each large paste on X11 keeps
// its copy until it is done; here every paste shares one array.
class PlainTextMimeData final : public QMimeData {
public:
    // Converted at the first paste, not before: the claim is not held up by it (between a
    // clear and the claim the clipboard is empty), and a text nobody pastes costs nothing. The
    // string is the caller's, shared, and let go of once converted.
    explicit PlainTextMimeData(QString text);
    explicit PlainTextMimeData(QByteArray utf8);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    const QByteArray& utf8() const;

    // One of them: the string until the first paste, the array from then on.
    mutable QString text_;
    mutable QByteArray utf8_;
    mutable bool converted_;
};

} // namespace ziq
