#include "platform/clipboard/plain_text_mime_data.h"

#include <QVariant>
#include <utility>

namespace ziq {

namespace {

// The one name the toolkit offers and asks plain text by (on X11 it adds UTF8_STRING, STRING
// and TEXT for it).
QString plainText() {
    return QStringLiteral("text/plain");
}

} // namespace

PlainTextMimeData::PlainTextMimeData(QString text) : text_(std::move(text)), converted_(false) {}

PlainTextMimeData::PlainTextMimeData(QByteArray utf8) : utf8_(std::move(utf8)), converted_(true) {}

QStringList PlainTextMimeData::formats() const {
    return {plainText()};
}

bool PlainTextMimeData::hasFormat(const QString& mimeType) const {
    return mimeType == plainText();
}

const QByteArray& PlainTextMimeData::utf8() const {
    if (!converted_) {
        utf8_ = text_.toUtf8();
        utf8_.squeeze(); // the conversion reserves room for the longest possible result
        text_ = QString();
        converted_ = true;
    }
    return utf8_;
}

QVariant PlainTextMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    if (mimeType != plainText()) {
        return {};
    }
    // A string for who asks for one (our own reads, Windows); every paste on X11 asks for bytes.
    if (type.id() == QMetaType::QString) {
        return converted_ ? QString::fromUtf8(utf8_) : text_;
    }
    return utf8();
}

} // namespace ziq
