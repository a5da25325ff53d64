#include "capture/clipboard_poller.h"

#include "capture/link_recognition.h"
#include "capture/to_text_window.h"
#include "platform/clipboard/clipboard.h"
#include "platform/desktop/desktop.h"
#include "settings/program.h"
#include "settings/setting_number.h"

#include <QScopedValueRollback>
#include <QTimer>

namespace ziq {

ClipboardPoller::ClipboardPoller(Program& program, ToTextWindow& window, QObject* parent)
    : QObject(parent), program_(program), window_(window) {}

ClipboardPoller::~ClipboardPoller() = default;

void ClipboardPoller::tick() {
    // A log that fails shows a modal box, whose event loop goes on delivering ticks. Those
    // capture nothing, or a failing log folder would stack up one box per tick.
    if (ticking_ || waiting_ || window_.changeHandlerRunning()) {
        return;
    }
    const Settings& settings = program_.settings;
    if (guardedEquals(settings.clipboardOn, 0)) {
        emit onOffCaptionChanged(QStringLiteral("Turn On ZIQ"));
    }
    if (guardedEquals(settings.clipboardOn, 1)) {
        emit onOffCaptionChanged(QStringLiteral("Turn Off ZIQ"));
    }
    if (guardedEquals(settings.clipboardOn, 0)) {
        return;
    }
    goOn(program_.clipboard.changeCount());
}

void ClipboardPoller::goOn(std::optional<std::uint64_t> changes) {
    const QScopedValueRollback running(ticking_, true);
    if (captureNewText(changes) == Capture::Waiting) {
        // The rest of this tick runs when the answer is in, about the content as it was when
        // asked; ticks meanwhile do nothing.
        waiting_ = true;
        program_.clipboard.whenAnswered(this, [this, changes] {
            waiting_ = false;
            goOn(changes);
        });
        return;
    }
    if (program_.settings.hitAndRun != 0) {
        endProgram();
        return;
    }
    applyFrequency();
}

ClipboardPoller::Capture ClipboardPoller::captureNewText(std::optional<std::uint64_t> changes) {
    Clipboard& clipboard = program_.clipboard;
    if (changes && lastLook_ && lastLook_->clipboardChanges == *changes &&
        lastLook_->textRevision == window_.textRevision()) {
        // A megabyte text owned by another program costs nothing to leave alone.
        return Capture::Done;
    }
    lastLook_.reset();
    // What a password manager marks as secret is not ours to read, keep or rewrite.
    const std::optional<bool> secret = clipboard.isSecret();
    if (clipboard.answerPending()) {
        return Capture::Waiting;
    }
    if (!secret) {
        return Capture::Done; // cannot be told now: looked at again next tick, unread
    }
    if (*secret) {
        lookedAt(changes);
        return Capture::Done;
    }
    // One read serves every step of the tick. Reading again would bring the same text, unless
    // another program changed the clipboard in between, which it may just as well do after.
    const auto current = clipboard.readText();
    if (clipboard.answerPending()) {
        return Capture::Waiting;
    }
    if (!current) {
        return Capture::Done; // looked at again next tick
    }
    if (*current == window_.text() && rewritesOwed_ > 0 && clipboard.hasText()) {
        replaceWithPlainText(*current, changes); // the last capture's rewrite did not take
        return Capture::Done;
    }
    if (*current == window_.text() || current->isEmpty() || !clipboard.hasText()) {
        lookedAt(changes);
        return Capture::Done; // nothing captured: the clipboard stays as the user left it
    }
    window_.setText(*current); // writes the clipboard log, perhaps behind a modal box
    rewritesOwed_ = kRewriteTries;
    replaceWithPlainText(*current, changes);
    if (guardedEquals(program_.settings.beepOn, 1)) {
        program_.desktop.beep();
    }
    if (strictEquals(program_.settings.linkCatcherOn, 1)) {
        recognizeLink();
    }
    return Capture::Done;
}

void ClipboardPoller::recognizeLink() {
    const QString text = window_.text();
    if (isCaughtLink(text, program_.settings)) {
        emit linkCaught(text);
    }
}

void ClipboardPoller::replaceWithPlainText(const QString& captured,
                                           std::optional<std::uint64_t> changesAtRead) {
    Clipboard& clipboard = program_.clipboard;
    // A box may have held the tick while the user copied something else; that new content
    // must survive (the next tick captures it). Where no change is reported, a read tells.
    const std::optional<std::uint64_t> changesNow = clipboard.changeCount();
    if (!changesNow || changesNow != changesAtRead) {
        const auto now = clipboard.readText();
        if (!now || *now != captured) {
            return;
        }
    }
    if (!clipboard.replaceText(captured) && --rewritesOwed_ > 0) {
        lastLook_.reset(); // not done: the next tick tries again
        return;
    }
    rewritesOwed_ = 0;
    lookedAt(clipboard.changeCount()); // our own clear and write are no news
}

void ClipboardPoller::lookedAt(std::optional<std::uint64_t> changes) {
    if (changes) {
        lastLook_ = Look{*changes, window_.textRevision()};
    } else {
        lastLook_.reset();
    }
}

void ClipboardPoller::endProgram() {
    endedProgram_ = true;
    emit hitAndRunFinished();
}

void ClipboardPoller::applyFrequency() {
    for (int seconds = 1; seconds <= 5; ++seconds) {
        if (guardedEquals(program_.settings.frequency, seconds)) {
            window_.Timer1->setInterval(seconds * 1000);
        }
    }
}

} // namespace ziq
