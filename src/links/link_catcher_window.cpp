#include "links/link_catcher_window.h"

#include "settings/program.h"
#include "links/link_log.h"
#include "platform/desktop/twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextCursor>
#include <cmath>

namespace ziq {

namespace {
constexpr int kText1Left = 0;
constexpr int kText1Top = 120;
} // namespace

LinkCatcherWindow::LinkCatcherWindow(Program& program, TextSource clipboardText, QWidget* parent)
    : QWidget(parent), program_(program), clipboardText_(std::move(clipboardText)) {
    setObjectName(QStringLiteral("frmLinkCatcher"));
    setWindowTitle(QStringLiteral("Link Catcher"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ziq.png")));

    // Only there to be the cancel button: Text1 covers it, so in practice only Esc reaches it.
    Command1 = new QPushButton(QStringLiteral("&OK (ESC)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    placeInTwips(*Command1, 600, 840, 1335, 375);
    connect(Command1, &QPushButton::clicked, this, &QWidget::hide);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Command1, &QPushButton::click);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setTabChangesFocus(true);
    placeInTwips(*Text1, kText1Left, kText1Top, 4575, 1815);
    Text1->raise();
    setTabOrder(Text1, Command1);
    connect(Text1, &QPlainTextEdit::textChanged, this, &LinkCatcherWindow::text1Edited);

    load();
}

LinkCatcherWindow::~LinkCatcherWindow() {
    // Tearing down the box must not be taken for an edit.
    disconnect(Text1, nullptr, this, nullptr);
}

void LinkCatcherWindow::load() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    resize(int(std::lround(area.width() * 0.35)), int(std::lround(area.height() * 0.15)));
    const QRect available = screen != nullptr ? screen->availableGeometry() : area;
    move(available.center() - rect().center());
    fitText1();
}

void LinkCatcherWindow::fitText1() {
    // Text1 takes the window's outer size from its designed corner, so it reaches past
    // the client area and is clipped there.
    const QRect outer = frameGeometry();
    Text1->setGeometry(twipsToPixels(kText1Left), twipsToPixels(kText1Top), outer.width(),
                       outer.height());
}

void LinkCatcherWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitText1();
}

void LinkCatcherWindow::closeEvent(QCloseEvent* event) {
    hide();
    if (program_.shuttingDown == 0) {
        event->ignore();
        return;
    }
    // The program's reference goes when the program ends: shutdown may run inside a
    // handler of this very window (a message box of the link log).
    event->accept();
}

QString LinkCatcherWindow::text() const {
    return text_;
}

void LinkCatcherWindow::setText(const QString& text) {
    if (text == text_) {
        return;
    }
    assigning_ = true;
    const QString added = text.startsWith(text_) ? text.mid(text_.size()) : QString();
    // A CR at the old end and an LF at the new start would show as two breaks apart but one
    // together, so that case is shown afresh.
    if (!text_.isEmpty() && !added.isEmpty() && !added.startsWith(QLatin1Char('\n'))) {
        // The usual case, a new line at the end: add only that, not the whole history.
        QTextCursor end(Text1->document());
        end.movePosition(QTextCursor::End);
        end.insertText(added);
    } else {
        Text1->setPlainText(text);
    }
    assigning_ = false;
    text_ = text;
    shown_ = Text1->toPlainText();
    text1Change();
}

void LinkCatcherWindow::appendLink(const QString& link) {
    const QString before = text();
    setText(before.isEmpty() ? link : before + QStringLiteral("\r\n") + link);
}

void LinkCatcherWindow::text1Edited() {
    if (assigning_) {
        return;
    }
    const QString now = Text1->toPlainText();
    if (now == shown_) {
        return; // a change of formatting only
    }
    // After a hand edit the box's own text is the truth.
    text_ = now;
    shown_ = now;
    text1Change();
}

void LinkCatcherWindow::text1Change() {
    const QString clipboardText = clipboardText_ ? clipboardText_() : QString();
    writeLinkLog(program_, program_.clock, program_.messages, clipboardText.toStdString());
}

} // namespace ziq
