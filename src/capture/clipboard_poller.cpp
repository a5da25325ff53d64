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
    // What a password manager marks as secret is not ours to read, keep or rewrite.
    if (clipboard.isSecret()) {
        return;
    }
    const auto current = clipboard.readText();
    if (!current || *current == window_.text()) {
        return;
    }
    const auto again = clipboard.readText();
    if (!again || again->isEmpty()) {
        return;
    }
    if (!clipboard.hasText()) {
        return;
    }
    const auto captured = clipboard.readText();
    if (!captured || captured->isEmpty()) {
        return; // nothing captured: the clipboard stays as the user left it
    }
    window_.setText(*captured); // writes the clipboard log, perhaps behind a modal box
    replaceWithPlainText(*captured);
    if (guardedEquals(program_.settings.beepOn, 1)) {
        program_.desktop.beep();
    }
    if (strictEquals(program_.settings.linkCatcherOn, 1)) {
        recognizeLink(program_);
    }
}

void ClipboardPoller::replaceWithPlainText(const QString& captured) {
    Clipboard& clipboard = program_.clipboard;
    // A box may have held the tick while the user copied something else; that new content
    // must survive (the next tick captures it).
    const auto now = clipboard.readText();
    if (!now || *now != captured) {
        return;
    }
    clipboard.clear();
    clipboard.writeText(captured);
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
