#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace ziq {

class Program;

// The viewer of every text caught as a link, one per line. It lives for the whole run:
// closing it only hides it. Each change of its text writes the link log.
class LinkCatcherWindow final : public QWidget {
    Q_OBJECT
public:
    // Where the link log takes the text it records: the clipboard text window's text.
    using TextSource = std::function<QString()>;

    LinkCatcherWindow(Program& program, TextSource clipboardText, QWidget* parent = nullptr);
    ~LinkCatcherWindow() override;
    LinkCatcherWindow(const LinkCatcherWindow&) = delete;
    LinkCatcherWindow& operator=(const LinkCatcherWindow&) = delete;

    // Text1's text, line breaks exactly as they were assigned.
    QString text() const;
    // Assigns Text1's text; a text that differs runs the change handler at once.
    void setText(const QString& text);
    // Adds a caught link as a new line after the text there is.
    void appendLink(const QString& link);

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    void fitText1();
    void text1Edited();
    void text1Change();

    Program& program_;
    TextSource clipboardText_;
    // The box shows line breaks in its own form; this keeps them as assigned.
    QString text_;
    QString shown_;
    bool assigning_ = false;
};

} // namespace ziq
