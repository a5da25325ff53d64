#include "platform/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace ziq {

std::optional<QString> QtClipboard::readText() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return std::nullopt;
    }
    return clipboard->text();
}

bool QtClipboard::hasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
}

bool QtClipboard::isSecret() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr &&
           data->data(QStringLiteral("x-kde-passwordManagerHint")) == QByteArrayLiteral("secret");
}

bool QtClipboard::clear() {
    QGuiApplication::clipboard()->clear();
    return true;
}

bool QtClipboard::writeText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    return true;
}

} // namespace ziq
