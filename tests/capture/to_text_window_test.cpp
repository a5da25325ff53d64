#include "capture/to_text_window.h"

#include "capture_test_fixture.h"
#include "platform/desktop/twips.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cmath>

namespace ziq::test {
namespace {

using ToTextWindowTest = CaptureTest;

TEST_F(ToTextWindowTest, LoadStartsTheFiftyMillisecondTimerAndSizesToTheScreen) {
    ToTextWindow fresh(program());
    EXPECT_EQ(fresh.windowTitle(), "Recent Clipboard Text");
    EXPECT_EQ(fresh.findChild<QTimer*>("Timer1"), fresh.Timer1);
    EXPECT_EQ(fresh.findChild<QPlainTextEdit*>("Text1"), fresh.Text1);
    EXPECT_EQ(fresh.findChild<QPushButton*>("Command1"), fresh.Command1);
    EXPECT_TRUE(fresh.Timer1->isActive());
    EXPECT_EQ(fresh.Timer1->interval(), 50);
    EXPECT_TRUE(fresh.text().isEmpty());
    EXPECT_FALSE(fresh.Text1->isReadOnly());
    EXPECT_EQ(fresh.Command1->text(), "&Cancel");

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_NEAR(fresh.width(), screen.width() * 0.35, 1.0);
    EXPECT_NEAR(fresh.height(), screen.height() * 0.15, 1.0);
    EXPECT_EQ(fresh.Text1->geometry(), QRect(0, 0, fresh.width(), fresh.height()));
    EXPECT_LE((fresh.geometry().center() - screen.center()).manhattanLength(), 2);
    // The cancel button is there only for Esc: the text box covers it.
    EXPECT_TRUE(fresh.Text1->geometry().contains(fresh.Command1->geometry()));
}

TEST_F(ToTextWindowTest, ResizeFitsText1AtAnySize) {
    window().show();
    for (const QSize size : {QSize(1, 1), QSize(37, 5), QSize(900, 700)}) {
        window().resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(window().Text1->geometry(), QRect(QPoint(0, 0), window().size())) << size.width();
    }
}

TEST_F(ToTextWindowTest, TabMovesTheFocusOnAndTypesNothing) {
    window().show();
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    window().Text1->setFocus();
    QTest::keyClick(window().Text1, Qt::Key_Tab);
    EXPECT_TRUE(window().text().isEmpty());
    EXPECT_TRUE(window().Command1->hasFocus());
}

TEST_F(ToTextWindowTest, ClosingHidesAndKeepsPollingUntilShutdown) {
    window().setText(QStringLiteral("kept"));
    window().Timer1->start();
    window().show();
    EXPECT_FALSE(window().close());
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(window().Timer1->isActive());
    EXPECT_EQ(window().text(), "kept");

    window().show();
    window().Command1->click();
    EXPECT_FALSE(window().isVisible());

    window().show();
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(window().Text1, Qt::Key_Escape);
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(window().Timer1->isActive());

    program().shuttingDown = 1;
    window().show();
    EXPECT_TRUE(window().close());
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(window().Timer1->isActive());
}

TEST_F(ToTextWindowTest, AssigningRunsTheLogOnlyForADifferentText) {
    window().setText(QStringLiteral("first"));
    EXPECT_EQ(dayLog(), entry("20040125093005", "first"));
    std::filesystem::remove(tp.path("20040125.txt"));
    window().setText(QStringLiteral("first"));
    EXPECT_EQ(logFiles(), 0u);
    window().setText(QStringLiteral("second"));
    EXPECT_EQ(dayLog(), entry("20040125093005", "second"));
}

TEST_F(ToTextWindowTest, TypingLogsTheWholeTextAtEveryKeystroke) {
    program().settings.saveType = "1";
    window().setText(QStringLiteral("ab"));
    window().show();
    window().Text1->moveCursor(QTextCursor::End);
    tp.clock.time.second = 6;
    QTest::keyClick(window().Text1, Qt::Key_C);
    tp.clock.time.second = 7;
    QTest::keyClick(window().Text1, Qt::Key_D);
    EXPECT_EQ(window().text(), "abcd");
    EXPECT_EQ(readFile(tp.path("ziq.txt")), entry("20040125093005", "ab") +
                                                entry("20040125093006", "abc") +
                                                entry("20040125093007", "abcd"));
}

TEST_F(ToTextWindowTest, AHugeTextIsKeptWholeAndShownCutReadOnly) {
    QString huge(3 * ToTextWindow::kShownLimit, QLatin1Char('h'));
    huge[ToTextWindow::kShownLimit - 1] = QChar(0xd83d); // a surrogate pair across the cut
    huge[ToTextWindow::kShownLimit] = QChar(0xde00);
    window().setText(huge);
    EXPECT_EQ(window().text(), huge);
    EXPECT_EQ(window().Text1->toPlainText(), huge.left(ToTextWindow::kShownLimit - 1));
    EXPECT_TRUE(window().Text1->isReadOnly());
    EXPECT_EQ(dayLog().size(), entry("20040125093005", huge.toStdString()).size());

    window().setText(QStringLiteral("small"));
    EXPECT_EQ(window().Text1->toPlainText(), "small");
    EXPECT_FALSE(window().Text1->isReadOnly());
}

} // namespace
} // namespace ziq::test
