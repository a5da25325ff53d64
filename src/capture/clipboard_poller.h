#pragma once

#include <QString>

namespace ziq {

class Program;
class ToTextWindow;

// The program's main loop: each tick of the clipboard text window's timer captures new
// clipboard text into the window (which logs it), leaves plain text on the clipboard,
// hands the text to link recognition, and ends the program in hit-and-run mode.
class ClipboardPoller final {
public:
    ClipboardPoller(Program& program, ToTextWindow& window);
    ClipboardPoller(const ClipboardPoller&) = delete;
    ClipboardPoller& operator=(const ClipboardPoller&) = delete;

    void tick();
    // Whether a tick has ended the program (hit-and-run).
    bool endedProgram() const { return endedProgram_; }

private:
    void setOnOffCaption(const QString& caption);
    void captureNewText();
    void replaceWithPlainText(const QString& captured);
    void endProgram();
    void applyFrequency();

    Program& program_;
    ToTextWindow& window_;
    bool ticking_ = false;
    bool endedProgram_ = false;
};

} // namespace ziq
