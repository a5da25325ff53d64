#include "links/link_test_fixture.h"

#include "platform/desktop/twips.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <fstream>

namespace ziq::test {
namespace {

using LinkCatcher = LinkWindowsTest;

TEST_F(LinkCatcher, IsBuiltAsDesigned) {
    LinkCatcherWindow& w = catcher();
    EXPECT_EQ(w.objectName(), QStringLiteral("frmLinkCatcher"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Link Catcher"));
    ASSERT_EQ(w.findChild<QPlainTextEdit*>(QStringLiteral("Text1")), w.Text1);
    ASSERT_EQ(w.findChild<QPushButton*>(QStringLiteral("Command1")), w.Command1);
    EXPECT_EQ(w.Command1->text(), QStringLiteral("&OK (ESC)"));
    EXPECT_TRUE(w.Text1->toPlainText().isEmpty());
    EXPECT_FALSE(w.Text1->isReadOnly());
    EXPECT_EQ(w.Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(w.Text1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    // The button lies under the text box and cannot be reached by the mouse.
    w.show();
    const QPoint buttonMiddle = w.Command1->geometry().center();
    QWidget* top = w.childAt(buttonMiddle);
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top == w.Text1 || w.Text1->isAncestorOf(top));
}

TEST_F(LinkCatcher, LoadSizesFromTheScreenAndCentres) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    LinkCatcherWindow& w = catcher();
    EXPECT_EQ(w.width(), qRound(screen->geometry().width() * 0.35));
    EXPECT_EQ(w.height(), qRound(screen->geometry().height() * 0.15));
    EXPECT_LE(std::abs(w.geometry().center().x() - screen->availableGeometry().center().x()), 1);
    EXPECT_LE(std::abs(w.geometry().center().y() - screen->availableGeometry().center().y()), 1);
    EXPECT_EQ(w.Text1->pos(), QPoint(0, twipsToPixels(120)));
    EXPECT_EQ(w.Text1->size(), w.frameGeometry().size());
}

TEST_F(LinkCatcher, Text1FollowsEveryResizeAtOnce) {
    LinkCatcherWindow& w = catcher();
    w.show();
    for (const QSize size : {QSize(640, 300), QSize(120, 40), QSize(1, 1)}) {
        w.resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(w.Text1->size(), w.frameGeometry().size()) << size.width();
        EXPECT_EQ(w.Text1->pos(), QPoint(0, twipsToPixels(120)));
    }
}

TEST_F(LinkCatcher, EscHidesAndShowingAgainShowsTheSameText) {
    LinkCatcherWindow& w = catcher();
    w.setText(QStringLiteral("http://kept"));
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.Text1->setFocus();
    QTest::keyClick(w.Text1, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    w.show();
    EXPECT_EQ(w.text(), QStringLiteral("http://kept"));
    EXPECT_EQ(w.Text1->toPlainText(), QStringLiteral("http://kept"));
    w.Command1->click();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(LinkCatcher, CloseOnlyHidesWhileRunningAndClosesDuringShutdown) {
    LinkCatcherWindow& w = catcher();
    w.setText(QStringLiteral("http://kept"));
    w.show();
    EXPECT_FALSE(w.close());
    EXPECT_FALSE(w.isVisible());
    ASSERT_TRUE(tp.app->frmLinkCatcher);
    EXPECT_EQ(w.text(), QStringLiteral("http://kept"));

    w.show();
    tp.program->shuttingDown = 1;
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
}

TEST_F(LinkCatcher, AHandEditLogsTheClipboardWindowTextAtEveryKeystroke) {
    captured(QStringLiteral("http://from.clipboard\r\nline two"));
    LinkCatcherWindow& w = catcher();
    w.show();
    w.Text1->setFocus();
    QTest::keyClick(w.Text1, Qt::Key_A);
    tp.clock.time.second = 6;
    QTest::keyClick(w.Text1, Qt::Key_B);
    EXPECT_EQ(w.text(), QStringLiteral("ab"));
    EXPECT_EQ(linkLog(), "[20040125]\n093005=http://from.clipboardline two\n"
                         "093006=http://from.clipboardline two\n");
}

TEST_F(LinkCatcher, AssigningTheSameTextWritesNothing) {
    LinkCatcherWindow& w = catcher();
    captured(QStringLiteral("http://a"));
    w.setText(QStringLiteral("http://a"));
    std::filesystem::remove(tp.path("ziqurl.txt"));
    w.setText(QStringLiteral("http://a"));
    EXPECT_FALSE(std::filesystem::exists(tp.path("ziqurl.txt")));
}

TEST_F(LinkCatcher, LineBreaksAreKeptAsAssignedAndShownOnce) {
    LinkCatcherWindow& w = catcher();
    w.setText(QStringLiteral("http://a\r"));
    w.setText(QStringLiteral("http://a\r\nhttp://b"));
    EXPECT_EQ(w.text(), QStringLiteral("http://a\r\nhttp://b"));
    EXPECT_EQ(w.Text1->document()->blockCount(), 2);
    w.setText(QStringLiteral("http://a\r\nhttp://b\r\nhttp://c"));
    EXPECT_EQ(w.Text1->toPlainText(), QStringLiteral("http://a\nhttp://b\nhttp://c"));
    w.setText(QStringLiteral("replaced"));
    EXPECT_EQ(w.Text1->toPlainText(), QStringLiteral("replaced"));
}

// Start-up, through the hidden main window, with the viewers opened or not.
class LinkCatcherStartup : public testing::Test {
protected:
    void start(const std::string& autoOpenViewers) {
        std::ofstream(tp.path("ziq2.ini")) << "[ZIQ]\nON=0\nAUTOOOPENVIEWERS=" << autoOpenViewers
                                           << "\nFIRSTRUN=9\nHITNRUN=0\n[LINKCATCHER]\nON=1\n";
        ASSERT_TRUE(tp.app->start());
        ASSERT_TRUE(tp.app->frmToText);
        ASSERT_TRUE(tp.app->frmLinkCatcher);
    }
    TestProgram tp;
};

TEST_F(LinkCatcherStartup, AutoOpenViewersPutsTheCatcherRightBelowTheTextWindow) {
    start("1");
    const QWidget& text = *tp.app->frmToText;
    const QWidget& links = *tp.app->frmLinkCatcher;
    EXPECT_TRUE(text.isVisible());
    EXPECT_TRUE(links.isVisible());
    EXPECT_EQ(links.frameGeometry().top(),
              text.frameGeometry().top() + text.frameGeometry().height());
    EXPECT_TRUE(tp.messages.shown.empty());
}

TEST(LinkCatcherStartupHidden, OtherwiseBothViewersAreLoadedAndHidden) {
    for (const char* value : {"0", "", "yes"}) {
        TestProgram fresh;
        std::ofstream(fresh.path("ziq2.ini"))
            << "[ZIQ]\nON=0\nAUTOOOPENVIEWERS=" << value << "\nFIRSTRUN=9\nHITNRUN=0\n";
        ASSERT_TRUE(fresh.app->start());
        ASSERT_TRUE(fresh.app->frmLinkCatcher) << value;
        EXPECT_FALSE(fresh.app->frmLinkCatcher->isVisible()) << value;
        EXPECT_FALSE(fresh.app->frmToText->isVisible()) << value;
    }
}

} // namespace
} // namespace ziq::test
