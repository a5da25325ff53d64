#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

namespace ziq {

class Program;
class ToTextWindow;

// The program's main loop: each tick of the clipboard text window's timer captures new
// clipboard text into the window (which logs it), leaves plain text on the clipboard,
// announces a caught link, and announces the end of a hit-and-run.
class ClipboardPoller final : public QObject {
    Q_OBJECT
public:
    ClipboardPoller(Program& program, ToTextWindow& window, QObject* parent = nullptr);
    ~ClipboardPoller() override;
    ClipboardPoller(const ClipboardPoller&) = delete;
    ClipboardPoller& operator=(const ClipboardPoller&) = delete;

    void tick();
    // Link recognition: tests the window's text and announces it when it counts as a link.
    void recognizeLink();
    // Whether a tick has ended the program (hit-and-run).
    bool endedProgram() const { return endedProgram_; }

signals:
    // The tray menu's on/off item should read `caption`.
    void onOffCaptionChanged(const QString& caption);
    // A captured text counts as a link; receivers run inside the tick, before it goes on.
    void linkCaught(const QString& link);
    // Hit-and-run mode: the one tick is done and the program should end.
    void hitAndRunFinished();

private:
    void captureNewText();
    void replaceWithPlainText(const QString& captured, std::optional<std::uint64_t> changesAtRead);
    void endProgram();
    void applyFrequency();
    // Remembers that the clipboard, at `changes`, and Text1 as it is now led to this tick's
    // outcome.
    void lookedAt(std::optional<std::uint64_t> changes);

    // Until the clipboard reports a change or Text1 changes, a read would bring the same text
    // to the same Text1, and so the same outcome: nothing captured.
    struct Look {
        std::uint64_t clipboardChanges = 0;
        std::uint64_t textRevision = 0;
    };

    // A rewrite the system did not take is tried again on the next ticks, a few times.
    static constexpr int kRewriteTries = 3;

    Program& program_;
    ToTextWindow& window_;
    std::optional<Look> lastLook_;
    int rewritesOwed_ = 0;
    bool ticking_ = false;
    bool endedProgram_ = false;
};

} // namespace ziq
