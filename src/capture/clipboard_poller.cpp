#include "capture/clipboard_poller.h"

#include "app/form1.h"
#include "app/program.h"
#include "capture/link_recognition.h"
#include "capture/to_text_window.h"
#include "platform/clipboard.h"
#include "platform/desktop.h"
#include "settings/setting_number.h"

#include <QAction>
#include <QScopedValueRollback>
#include <QTimer>

namespace ziq {

ClipboardPoller::ClipboardPoller(Program& program, ToTextWindow& window)
    : program_(program), window_(window) {}

void ClipboardPoller::tick() {
    // A log that fails shows a modal box, whose event loop goes on delivering ticks. Those
    // capture nothing, or a failing log folder would stack up one box per tick.
    if (ticking_ || window_.changeHandlerRunning()) {
        return;
    }
    const QScopedValueRollback running(ticking_, true);

    const Settings& settings = program_.settings;
    if (guardedEquals(settings.clipboardOn, 0)) {
        setOnOffCaption(QStringLiteral("Turn On ZIQ"));
    }
    if (guardedEquals(settings.clipboardOn, 1)) {
        setOnOffCaption(QStringLiteral("Turn Off ZIQ"));
    }
    if (guardedEquals(settings.clipboardOn, 0)) {
        return;
    }
    captureNewText();
    if (program_.settings.hitAndRun != 0) {
        endProgram();
        return;
    }
    applyFrequency();
}

void ClipboardPoller::setOnOffCaption(const QString& caption) {
    if (program_.form1 != nullptr && program_.form1->mnuOnOff != nullptr) {
        program_.form1->mnuOnOff->setText(caption);
    }
}

void ClipboardPoller::captureNewText() {
    Clipboard& clipboard = program_.clipboard;
    const std::optional<std::uint64_t> changes = clipboard.changeCount();
    if (changes && lastLook_ && lastLook_->clipboardChanges == *changes &&
        lastLook_->textRevision == window_.textRevision()) {
        return; // a megabyte text owned by another program costs nothing to leave alone
    }
    lastLook_.reset();
    // What a password manager marks as secret is not ours to read, keep or rewrite.
    if (clipboard.isSecret()) {
        lookedAt(changes);
        return;
    }
    // One read serves every step of the tick. Reading again would bring the same text, unless
    // another program changed the clipboard in between, which it may just as well do after.
    const auto current = clipboard.readText();
    if (!current) {
        return; // looked at again next tick
    }
    if (*current == window_.text() || current->isEmpty() || !clipboard.hasText()) {
        lookedAt(changes);
        return; // nothing captured: the clipboard stays as the user left it
    }
    window_.setText(*current); // writes the clipboard log, perhaps behind a modal box
    replaceWithPlainText(*current, changes);
    if (guardedEquals(program_.settings.beepOn, 1)) {
        program_.desktop.beep();
    }
    if (strictEquals(program_.settings.linkCatcherOn, 1)) {
        recognizeLink(program_);
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
    clipboard.clear();
    clipboard.writeText(captured);
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
    if (program_.form1 != nullptr) {
        program_.form1->unload();
    }
}

void ClipboardPoller::applyFrequency() {
    for (int seconds = 1; seconds <= 5; ++seconds) {
        if (guardedEquals(program_.settings.frequency, seconds)) {
            window_.Timer1->setInterval(seconds * 1000);
        }
    }
}

} // namespace ziq
