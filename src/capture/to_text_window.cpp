#include "capture/to_text_window.h"

#include "settings/program.h"
#include "capture/clipboard_log.h"
#include "capture/clipboard_poller.h"
#include "platform/desktop/twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>

namespace ziq {

namespace {

QFont sansSerif(QFont::Weight weight) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Sans Serif")});
    font.setPointSizeF(8.25);
    font.setWeight(weight);
    return font;
}

QRect screenRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}

} // namespace

ToTextWindow::ToTextWindow(Program& program, QWidget* parent)
    : QWidget(parent, Qt::Window), program_(program) {
    setObjectName(QStringLiteral("frmToText"));
    setWindowTitle(QStringLiteral("Recent Clipboard Text"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ziq.png")));
    setFont(sansSerif(QFont::Bold));
    resize(twipsToPixels(4995), twipsToPixels(1455));

    // The cancel button lies under the text box: it is never seen and only catches Esc.
    Command1 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    placeInTwips(*Command1, 240, 120, 375, 255);
    connect(Command1, &QPushButton::clicked, this, &QWidget::hide);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Command1, &QPushButton::click);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(sansSerif(QFont::Normal));
    placeInTwips(*Text1, 0, 0, 5775, 495);
    Text1->setTabChangesFocus(true); // as in a multi-line box of the original
    connect(Text1, &QPlainTextEdit::textChanged, this, &ToTextWindow::text1Edited);
    setTabOrder(Text1, Command1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    poller_ = std::make_unique<ClipboardPoller>(program_, *this);
    connect(Timer1, &QTimer::timeout, this, &ToTextWindow::tick);

    load();
}

ToTextWindow::~ToTextWindow() = default;

void ToTextWindow::load() {
    const QRect screen = screenRect();
    const float height = float(pixelsToTwips(screen.height()) * 0.15);
    const float width = float(pixelsToTwips(screen.width()) * 0.35);
    resize(twipsToPixels(width), twipsToPixels(height));
    fitText1();
    move(screen.center() - rect().center());
    Timer1->start();
}

void ToTextWindow::fitText1() {
    Text1->resize(width(), height());
}

void ToTextWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitText1();
}

void ToTextWindow::closeEvent(QCloseEvent* event) {
    if (program_.shuttingDown == 0) {
        hide();
        event->ignore();
        return;
    }
    Timer1->stop();
    event->accept();
}

QString ToTextWindow::text() const {
    return text_;
}

void ToTextWindow::setText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    ++textRevision_;
    display(text);
    text1Change();
}

void ToTextWindow::display(const QString& text) {
    QString shown = text;
    const bool cut = text.size() > kShownLimit;
    if (cut) {
        qsizetype end = kShownLimit;
        if (text.at(end - 1).isHighSurrogate()) {
            --end;
        }
        shown = text.left(end);
    }
    const QSignalBlocker quiet(Text1);
    Text1->setPlainText(shown);
    Text1->setReadOnly(cut);
    shown_ = Text1->toPlainText();
}

void ToTextWindow::text1Edited() {
    QString typed = Text1->toPlainText();
    if (typed == shown_) {
        return;
    }
    shown_ = typed;
    text_ = std::move(typed);
    ++textRevision_;
    text1Change();
}

void ToTextWindow::text1Change() {
    const QScopedValueRollback running(changeHandlerRunning_, true);
    writeClipboardLog(program_, program_.clock, program_.messages, text_.toStdString());
}

bool ToTextWindow::changeHandlerRunning() const {
    return changeHandlerRunning_;
}

void ToTextWindow::tick() {
    poller_->tick();
}

ClipboardPoller& ToTextWindow::poller() {
    return *poller_;
}

} // namespace ziq
