#include "platform/clipboard/wayland/wayland_clipboard.h"

#include "platform/clipboard/keeper_launch.h"
#include "platform/clipboard/wayland/data_control.h"
#include "platform/clipboard/wayland/data_control_thread.h"

#include "platform/clipboard/qt_clipboard.h"

#include <QObject>
#include <QString>
#include <utility>

namespace ziq {

namespace {

using namespace std::chrono_literals;

constexpr auto kConnectTimeout = 5s;
// Short: a compositor that is there answers at once, and the worker waits meanwhile.
constexpr auto kReconnectTimeout = 1s;
// The toolkit's counts are told apart from data control's, so that a switch reads as news.
constexpr std::uint64_t kStandInCounts = std::uint64_t{1} << 48;
// No UTF-8 text longer than this many bytes fits the character limit (at most three bytes
// make one UTF-16 character); a longer one is refused without holding all of it.
constexpr std::size_t kMaxTextBytes = 3 * ClipboardReadGuard::kMaxTextLength;

// Text that is neither a file list nor marked secret: the only content read and captured.
bool plainTextOffered(const SelectionLook& look) {
    return look.text && !look.fileList && !look.secret;
}

} // namespace

std::unique_ptr<WaylandClipboard> WaylandClipboard::connect() {
    auto control = DataControl::connect(kConnectTimeout);
    if (control == nullptr) {
        return nullptr;
    }
    return std::make_unique<WaylandClipboard>(
        std::move(control), [] { return DataControl::connect(kReconnectTimeout); });
}

WaylandClipboard::WaylandClipboard(std::unique_ptr<DataControl> control, Connector reconnect,
                                   Now now)
    : context_(std::make_unique<QObject>()), now_(std::move(now)) {
    QObject* context = context_.get();
    thread_ = std::make_unique<DataControlThread>(
        std::move(control), std::move(reconnect),
        [this, context](SelectionLook look) {
            QMetaObject::invokeMethod(
                context, [this, look = std::move(look)]() mutable { looked(std::move(look)); },
                Qt::QueuedConnection);
        },
        [this, context](bool usable) {
            QMetaObject::invokeMethod(
                context,
                [this, usable] {
                    if (!usable && tell_ && !std::exchange(told_, true)) {
                        tell_(QStringLiteral(
                            "ZIQ2 lost its access to the clipboard in the background and keeps "
                            "trying to get it back. Until then it sees only the copies that the "
                            "desktop shares with X11 programs."));
                    }
                },
                Qt::QueuedConnection);
        });
}

Clipboard* WaylandClipboard::standIn() {
    if (thread_->usable()) {
        return nullptr;
    }
    if (qt_ == nullptr) {
        qt_ = std::make_unique<QtClipboard>();
    }
    return qt_.get();
}

void WaylandClipboard::setNotice(std::function<void(const QString& notice)> tell) {
    tell_ = std::move(tell);
}

WaylandClipboard::~WaylandClipboard() {
    thread_.reset(); // no more results once the receiver goes
}

std::optional<std::uint64_t> WaylandClipboard::changeCount() {
    // Taken in on the spot: a copy made while we read or wrote may still wait on the socket,
    // and the caller is about to decide whether to overwrite the selection.
    const std::uint64_t changes = thread_->changes();
    if (Clipboard* qt = standIn()) {
        const std::optional<std::uint64_t> counted = qt->changeCount();
        return counted ? std::optional(kStandInCounts + *counted) : std::nullopt;
    }
    if (changes != changes_) {
        guard_.contentChanged();
        changes_ = changes;
    }
    return changes;
}

const SelectionLook* WaylandClipboard::currentLook() {
    if (look_ && look_->changes == changes_) {
        // An owner that was slow once gets asked again, as on X11, without waiting for the
        // clipboard to change.
        const bool textFailed =
            plainTextOffered(*look_) && look_->read.status == PipeRead::Status::Failed;
        if (!textFailed || !guard_.mayRead(now_())) {
            return look_.get();
        }
    }
    if (!lookAsked_) {
        lookAsked_ = true;
        thread_->look(kMaxTextBytes);
    }
    return nullptr;
}

void WaylandClipboard::looked(SelectionLook look) {
    lookAsked_ = false;
    // Held as the toolkit's text only, which the window shares once it takes it.
    lookText_ = std::exchange(look.plainText, QString());
    if (std::size_t(lookText_.size()) > ClipboardReadGuard::kMaxTextLength) {
        lookText_.clear(); // not captured: no reason to hold it
        look.read.status = PipeRead::Status::TooLarge;
    }
    look_ = std::make_unique<SelectionLook>(std::move(look));
    // The answers are about what was looked at, even where the selection has moved on since:
    // the caller finds that out from changeCount() before it acts on them.
    if (look_->changes > changes_) {
        changes_ = look_->changes;
        guard_.contentChanged();
    }
    const auto now = now_();
    if (look_->read.status == PipeRead::Status::TooLarge) {
        guard_.acceptLength(ClipboardReadGuard::kMaxTextLength + 1, now);
    } else if (plainTextOffered(*look_)) {
        if (look_->read.status == PipeRead::Status::Failed) {
            guard_.readFailed(now);
        } else {
            guard_.readDone(now - look_->took, now, lookText_.isEmpty());
        }
    }
    if (resume_) {
        const auto resume = std::move(resume_);
        resume_ = nullptr;
        if (resumeContext_) {
            resume();
        }
    }
}

void WaylandClipboard::whenAnswered(QObject* context, std::function<void()> resume) {
    resumeContext_ = context;
    resume_ = std::move(resume);
}

std::optional<QString> WaylandClipboard::readText() {
    if (Clipboard* qt = standIn()) {
        return qt->readText();
    }
    if (!guard_.mayRead(now_())) {
        return std::nullopt;
    }
    const SelectionLook* look = currentLook();
    if (look == nullptr) {
        return std::nullopt; // asked; answerPending() tells
    }
    if (!plainTextOffered(*look)) {
        return QString();
    }
    if (look->read.status != PipeRead::Status::Complete) {
        return std::nullopt; // too large or unanswered: the clipboard is left as it is
    }
    return lookText_;
}

bool WaylandClipboard::hasText() {
    if (Clipboard* qt = standIn()) {
        return qt->hasText();
    }
    const SelectionLook* look = currentLook();
    return look != nullptr && plainTextOffered(*look);
}

std::optional<bool> WaylandClipboard::isSecret() {
    if (Clipboard* qt = standIn()) {
        return qt->isSecret();
    }
    if (!guard_.mayRead(now_())) {
        return false;
    }
    const SelectionLook* look = currentLook();
    return look != nullptr && look->secret;
}

bool WaylandClipboard::clear() {
    if (Clipboard* qt = standIn()) {
        return qt->clear();
    }
    thread_->clear();
    return true;
}

bool WaylandClipboard::writeText(const QString& text) {
    if (Clipboard* qt = standIn()) {
        return qt->writeText(text);
    }
    thread_->setText(text);
    return true;
}

bool WaylandClipboard::keepTextAfterExit() {
    if (standIn() != nullptr) {
        return qt_->keepTextAfterExit();
    }
    const std::optional<QString> text = thread_->ownText();
    if (!text || text->isEmpty()) {
        return false;
    }
    return handTextToKeeper(text->toUtf8(), {QStringLiteral("--wayland")});
}

} // namespace ziq
