#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace ziq {

class ClipboardPoller;
class Program;

// "Recent Clipboard Text": shows the clipboard text captured last and hosts the poll timer.
// Closing it only hides it, so polling goes on, until the program shuts down.
class ToTextWindow final : public QWidget {
    Q_OBJECT
public:
    explicit ToTextWindow(Program& program, QWidget* parent = nullptr);
    ~ToTextWindow() override;
    ToTextWindow(const ToTextWindow&) = delete;
    ToTextWindow& operator=(const ToTextWindow&) = delete;

    // Text1's text, exactly as last captured or typed. The box may show it differently (line
    // breaks normalised, a very long text cut), so this, not the widget, is the poller's memory.
    QString text() const;
    // Assigns Text1's text. Only a different text runs the change handler (the clipboard
    // text log), inside this call.
    void setText(const QString& text);
    // Moves on at every change of Text1's text, assigned or typed.
    std::uint64_t textRevision() const { return textRevision_; }
    // One tick of the clipboard poller; Timer1 calls it.
    void tick();
    ClipboardPoller& poller();
    // True while Text1's change handler runs; it may hold a modal box open.
    bool changeHandlerRunning() const;

    // Longer texts are kept whole but shown cut, read-only: laying out megabytes in a
    // text box takes seconds.
    static constexpr qsizetype kShownLimit = 100000;

    QTimer* Timer1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void load();
    void fitText1();
    void display(const QString& text);
    void text1Edited();
    void text1Change();

    Program& program_;
    QString text_;
    QString shown_; // what Text1 displays, to tell the user's edits from our own assignments
    std::uint64_t textRevision_ = 0;
    bool changeHandlerRunning_ = false;
    std::unique_ptr<ClipboardPoller> poller_;
};

} // namespace ziq
