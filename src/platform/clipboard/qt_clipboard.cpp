#include "platform/clipboard/qt_clipboard.h"

#include "platform/clipboard/clipboard_flush.h"
#include "platform/clipboard/clipboard_sequence.h"
#include "platform/clipboard/keeper_launch.h"
#include "platform/clipboard/native_clipboard.h"
#include "platform/clipboard/secret_clipboard.h"
#include "platform/clipboard/plain_text_mime_data.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <utility>

namespace ziq {

namespace {

const QMimeData* clipboardData() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
}

bool isFileList(const QMimeData& data) {
    if (data.hasFormat(QStringLiteral("x-special/gnome-copied-files"))) {
        return true;
    }
    if (!data.hasUrls()) {
        return false;
    }
    const QList<QUrl> urls = data.urls();
    return !urls.isEmpty() &&
           std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

} // namespace

QtClipboard::QtClipboard() : context_(std::make_unique<QObject>()) {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb") || platform == QLatin1String("windows")) {
        sequence_ = ClipboardSequence::open();
    }
    if (platform == QLatin1String("windows")) {
        native_ = NativeClipboard::open();
    }
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        QObject::connect(clipboard, &QClipboard::changed, context_.get(),
                         [this](QClipboard::Mode mode) {
                             if (mode == QClipboard::Clipboard) {
                                 guard_.contentChanged();
                                 ++changes_;
                             }
                         });
    }
}

QtClipboard::~QtClipboard() = default;

std::optional<QString> QtClipboard::readText() {
    // Content that came after the secrecy check is not read, nor kept when it came during the
    // read: it may be secret. The next look checks it first.
    const std::optional<std::uint32_t> checked = std::exchange(secretCheckedAt_, std::nullopt);
    const auto unchanged = [this, &checked] { return !checked || sequenceNow() == checked; };
    const auto started = ClipboardReadGuard::Clock::now();
    if (!unchanged() || !guard_.mayRead(started)) {
        return std::nullopt;
    }
    std::optional<QString> text = readAnyText(unchanged);
    if (!unchanged()) {
        return std::nullopt; // the toolkit may still hold the old content's formats
    }
    const auto now = ClipboardReadGuard::Clock::now();
    guard_.readDone(started, now, !text || text->isEmpty());
    if (text && !guard_.acceptLength(std::size_t(text->size()), now)) {
        return std::nullopt; // too large: not captured, and the clipboard is left as it is
    }
    return text;
}

std::optional<QString> QtClipboard::readAnyText(const std::function<bool()>& unchanged) {
    const QMimeData* data = clipboardData();
    if (data == nullptr) {
        return std::nullopt;
    }
    if (isFileList(*data)) {
        return QString();
    }
    if (!unchanged()) {
        return std::nullopt; // asked last thing before the text, which may be secret
    }
    QString text = data->text();
    if (text.isEmpty() && native_ != nullptr && native_->textOffered()) {
        return std::nullopt; // the toolkit could not open the clipboard: not an empty text
    }
    return text;
}

bool QtClipboard::hasText() {
    const auto started = ClipboardReadGuard::Clock::now();
    if (!guard_.mayRead(started)) {
        return false;
    }
    const QMimeData* data = clipboardData();
    // The toolkit has no formats at all while another program holds the clipboard open.
    const bool offered =
        native_ != nullptr ? native_->textOffered() : data != nullptr && data->hasText();
    const bool text = offered && data != nullptr && !isFileList(*data);
    guard_.readDone(started, ClipboardReadGuard::Clock::now(), !text);
    return text;
}

std::optional<bool> QtClipboard::isSecret() {
    secretCheckedAt_ = sequenceNow();
    if (native_ != nullptr) {
        return native_->isSecret();
    }
    return secretNow();
}

std::optional<std::uint32_t> QtClipboard::sequenceNow() {
    return sequence_ != nullptr ? sequence_->now() : std::nullopt;
}

bool QtClipboard::secretNow() {
    const auto started = ClipboardReadGuard::Clock::now();
    const QMimeData* data = guard_.mayRead(started) ? clipboardData() : nullptr;
    if (data == nullptr) {
        return false;
    }
    std::vector<std::string> formats;
    for (const QString& format : data->formats()) {
        formats.push_back(format.toStdString());
    }
    guard_.readDone(started, ClipboardReadGuard::Clock::now(), formats.empty());
    return isSecretClipboard(formats, [this, data](const std::string& format) {
        const auto asked = ClipboardReadGuard::Clock::now();
        const QByteArray bytes = data->data(QString::fromStdString(format));
        guard_.readDone(asked, ClipboardReadGuard::Clock::now(), bytes.isEmpty());
        // The toolkit answers a failed read with nothing, which no marker holds.
        return bytes.isEmpty() ? std::nullopt : std::optional(bytes.toStdString());
    });
}

bool QtClipboard::clear() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    clipboard->clear(QClipboard::Clipboard);
    return true;
}

bool QtClipboard::replaceText(const QString& text) {
    return native_ != nullptr ? native_->replaceWithText(text) : Clipboard::replaceText(text);
}

bool QtClipboard::writeText(const QString& text) {
    if (native_ != nullptr) {
        return native_->replaceWithText(text);
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    const auto claim = [&] {
        auto data = std::make_unique<PlainTextMimeData>(text);
        const QMimeData* ours = data.get();
        clipboard->setMimeData(data.release(), QClipboard::Clipboard); // the clipboard owns it
        // Asks the server who owns the clipboard now: the toolkit's own flag says yes either way.
        return clipboard->mimeData(QClipboard::Clipboard) == ours;
    };
    const bool taken = claim();
    if (taken || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return true;
    }
    // X11 stamps a claim with the latest server time the toolkit has taken in, and ignores a
    // claim older than the current owner's. On a busy machine a tick can read another
    // program's text before the notice of that program's claim is taken in; the notice is
    // waiting in the queue by then and brings a later time.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return claim();
}

std::optional<std::uint64_t> QtClipboard::changeCount() {
    // X11 (through XFixes) and Windows report every change of owner or content, ours
    // included; elsewhere another program's change may go unreported.
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb") && platform != QLatin1String("windows")) {
        return std::nullopt;
    }
    return changes_;
}

bool QtClipboard::keepTextAfterExit() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (native_ != nullptr && native_->holdsOurText()) {
        return true; // set rendered: the system holds it
    }
    if (clipboard != nullptr && QGuiApplication::platformName() == QLatin1String("windows")) {
        // A text copied in one of our windows, not yet rewritten.
        return clipboard->ownsClipboard() && flushClipboardForOthers();
    }
    if (clipboard == nullptr || QGuiApplication::platformName() != QLatin1String("xcb") ||
        !clipboard->ownsClipboard()) {
        return false;
    }
    const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
    // Our own data's one UTF-8 array (made now if nobody has pasted yet), not a new copy.
    if (data == nullptr || !data->hasText() ||
        !handTextToKeeper(data->data(QStringLiteral("text/plain")))) {
        return false;
    }
    // Take in the loss of ownership, so the toolkit does not try to hand the clipboard
    // to a clipboard manager on exit as if it were still ours.
    const QDeadlineTimer deadline(1000);
    while (clipboard->ownsClipboard() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
    }
    return true;
}

} // namespace ziq
