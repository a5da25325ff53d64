#include "capture/clipboard_poller.h"

#include "app/form1.h"
#include "capture_test_fixture.h"
#include "links/link_catcher_window.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTest>

namespace ziq::test {
namespace {

class ClipboardPollerTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        program().form1 = std::make_unique<Form1>(program());
        program().frmLinkCatcher = std::make_unique<LinkCatcherWindow>(program());
    }
    void tick() { window().tick(); }
    void copy(const QString& text) { tp.clipboard.text = text; }
    QString caption() { return program().form1->mnuOnOff->text(); }
    QString links() { return program().frmLinkCatcher->text(); }
    int interval() { return window().Timer1->interval(); }
    // Makes the log fail: its folder does not exist.
    void breakLogFolder() {
        program().settings.savedFilePath = withTrailingSeparator(tp.path("gone"));
    }

    FakeClipboard& clipboard = tp.clipboard;
    FakeDesktop& desktop = tp.desktop;
};

TEST_F(ClipboardPollerTest, NewTextIsLoggedThenLeftOnTheClipboardAsPlainTextOnce) {
    copy(QStringLiteral("http://Example.org/A"));
    // The log is written inside the assignment, before the clipboard is cleared.
    breakLogFolder();
    int clearsWhileBoxOpen = -1;
    tp.messages.onShow = [&](const ShownMessage&) { clearsWhileBoxOpen = clipboard.clears; };
    tick();
    EXPECT_EQ(clearsWhileBoxOpen, 0);
    EXPECT_EQ(window().text(), "http://Example.org/A");
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_EQ(clipboard.writes, QStringList{"http://Example.org/A"}); // not doubled
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(links(), "http://Example.org/A");
    EXPECT_EQ(caption(), "Turn Off ZIQ");
    EXPECT_EQ(interval(), 1000);

    program().settings.savedFilePath = withTrailingSeparator(tp.dir());
    copy(QStringLiteral("second"));
    tick();
    EXPECT_EQ(dayLog(), entry("20040125093005", "second"));
}

TEST_F(ClipboardPollerTest, TheSameTextAgainDoesNothing) {
    copy(QStringLiteral("www.example.com"));
    tick();
    tick();
    copy(QStringLiteral("www.example.com")); // copied again elsewhere
    tick();
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_EQ(clipboard.writes.size(), 1);
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(links(), "www.example.com");
    EXPECT_EQ(dayLog(), entry("20040125093005", "www.example.com"));
}

TEST_F(ClipboardPollerTest, TwoCapturesInOneSecondKeepTheLaterInTheLog) {
    copy(QStringLiteral("earlier"));
    tick();
    copy(QStringLiteral("later"));
    tick();
    EXPECT_EQ(dayLog(), entry("20040125093005", "later"));
}

TEST_F(ClipboardPollerTest, NoTextMeansTheClipboardIsNotTouched) {
    tick(); // empty clipboard at start: equal to the empty window
    copy(QStringLiteral("formerly"));
    tick();
    copy(QString()); // a picture or a file list reads as no text
    tick();
    copy(QStringLiteral("text the clipboard does not offer as text"));
    clipboard.hasTextOverride = false;
    tick();
    EXPECT_EQ(window().text(), "formerly");
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(interval(), 1000);
}

TEST_F(ClipboardPollerTest, FailedReadsCaptureNothingAndRewriteNothing) {
    copy(QStringLiteral("old"));
    tick();
    copy(QStringLiteral("http://new.example"));
    for (const int failingRead : {1, 2, 3}) {
        const int first = clipboard.reads;
        clipboard.beforeRead = [&, first, failingRead] {
            if (clipboard.reads == first + failingRead) {
                clipboard.failReads = 1;
            }
        };
        tick();
        EXPECT_EQ(window().text(), "old") << failingRead;
    }
    // In particular the former text is never written back over what the user copied.
    EXPECT_EQ(clipboard.text, "http://new.example");
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(links(), "");
    EXPECT_EQ(interval(), 1000);

    clipboard.beforeRead = nullptr;
    tick();
    EXPECT_EQ(window().text(), "http://new.example");
}

TEST_F(ClipboardPollerTest, OnOffCaptionAndTheOffState) {
    program().settings.clipboardOn = "0";
    program().settings.hitAndRun = 1;
    program().settings.frequency = "3";
    copy(QStringLiteral("ignored"));
    tick();
    EXPECT_EQ(caption(), "Turn On ZIQ");
    EXPECT_TRUE(window().text().isEmpty());
    EXPECT_EQ(interval(), 50);
    EXPECT_FALSE(window().poller().endedProgram());
    EXPECT_EQ(program().shuttingDown, 0);

    // Not a number: both captions are set, the last wins, and the tick ends as if off.
    program().settings.clipboardOn = "on";
    tick();
    EXPECT_EQ(caption(), "Turn Off ZIQ");
    EXPECT_TRUE(window().text().isEmpty());

    // Another number leaves the caption alone and polls.
    program().settings.clipboardOn = "0";
    tick();
    program().settings.clipboardOn = "2";
    program().settings.hitAndRun = 0;
    tick();
    EXPECT_EQ(caption(), "Turn On ZIQ");
    EXPECT_EQ(window().text(), "ignored");
    EXPECT_EQ(interval(), 3000);
}

TEST_F(ClipboardPollerTest, CaptionIsSkippedWithoutAMainWindow) {
    program().form1.reset();
    copy(QStringLiteral("still polled"));
    tick();
    EXPECT_EQ(window().text(), "still polled");
}

TEST_F(ClipboardPollerTest, FrequencySetsTheInterval) {
    for (const auto& [frequency, expected] :
         std::vector<std::pair<std::string, int>>{{"1", 1000},
                                                  {"2", 2000},
                                                  {"3", 3000},
                                                  {"4", 4000},
                                                  {"5", 5000},
                                                  {"2.0", 2000},
                                                  {"0", 2000}, // other numbers leave it
                                                  {"6", 2000},
                                                  {"often", 5000}}) { // not a number: all five run
        program().settings.frequency = frequency;
        tick();
        EXPECT_EQ(interval(), expected) << frequency;
    }
    ToTextWindow fresh(program());
    fresh.Timer1->stop();
    program().settings.frequency = "0";
    fresh.tick();
    EXPECT_EQ(fresh.Timer1->interval(), 50);
}

TEST_F(ClipboardPollerTest, BeepAndLinkSettings) {
    program().settings.beepOn = "0";
    program().settings.linkCatcherOn = "0";
    copy(QStringLiteral("http://one.example"));
    tick();
    EXPECT_EQ(desktop.beeps, 0);
    EXPECT_EQ(links(), "");

    // A beep setting that is not a number beeps; a link setting that is not one skips.
    program().settings.beepOn = "loud";
    program().settings.linkCatcherOn = "maybe";
    copy(QStringLiteral("http://two.example"));
    tick();
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(links(), "");

    program().settings.linkCatcherOn = "1";
    copy(QStringLiteral("http://three.example"));
    tick();
    copy(QStringLiteral("no link here"));
    tick();
    EXPECT_EQ(links(), "http://three.example");
}

TEST_F(ClipboardPollerTest, HitAndRunProcessesOnceAndEnds) {
    program().settings.hitAndRun = 1;
    copy(QStringLiteral("http://hit.example"));
    tick();
    EXPECT_EQ(window().text(), "http://hit.example");
    EXPECT_EQ(dayLog(), entry("20040125093005", "http://hit.example"));
    EXPECT_EQ(clipboard.writes, QStringList{"http://hit.example"});
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(links(), "http://hit.example");
    EXPECT_TRUE(window().poller().endedProgram());
    EXPECT_EQ(program().shuttingDown, 1); // the main window unloaded
    EXPECT_EQ(interval(), 50);
}

TEST_F(ClipboardPollerTest, HitAndRunWithNothingToCaptureStillEnds) {
    program().form1.reset();
    program().settings.hitAndRun = 7;
    tick();
    EXPECT_TRUE(window().poller().endedProgram());
    EXPECT_TRUE(window().text().isEmpty());
    EXPECT_EQ(clipboard.clears, 0);
}

TEST_F(ClipboardPollerTest, SecretClipboardIsLeftExactlyAsItIs) {
    clipboard.secret = true;
    copy(QStringLiteral("http://hunter2.example"));
    tick();
    EXPECT_TRUE(window().text().isEmpty());
    EXPECT_EQ(clipboard.clears, 0);
    EXPECT_TRUE(clipboard.writes.isEmpty());
    EXPECT_EQ(desktop.beeps, 0);
    EXPECT_EQ(links(), "");
    EXPECT_EQ(logFiles(), 0u);
    EXPECT_EQ(interval(), 1000);

    program().settings.hitAndRun = 1;
    tick();
    EXPECT_TRUE(window().poller().endedProgram());
    EXPECT_EQ(logFiles(), 0u);
}

TEST_F(ClipboardPollerTest, TicksDuringAnOpenBoxCaptureNothing) {
    breakLogFolder();
    copy(QStringLiteral("first"));
    tp.messages.onShow = [&](const ShownMessage&) {
        if (tp.messages.shown.size() == 1) {
            copy(QStringLiteral("copied while the box was open"));
            tick();
            tick();
        }
    };
    tick();
    EXPECT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(window().text(), "first");
    // What the user copied meanwhile is neither replaced by the old text nor lost.
    EXPECT_EQ(clipboard.text, "copied while the box was open");
    EXPECT_EQ(clipboard.clears, 0);
    EXPECT_EQ(desktop.beeps, 1);

    tick(); // the next capture is a new one, with its own box
    EXPECT_EQ(window().text(), "copied while the box was open");
    EXPECT_EQ(tp.messages.shown.size(), 2u);
    EXPECT_EQ(clipboard.writes, QStringList{"copied while the box was open"});
}

TEST_F(ClipboardPollerTest, TicksDuringABoxFromTypingCaptureNothing) {
    breakLogFolder();
    copy(QStringLiteral("waiting"));
    tp.messages.onShow = [&](const ShownMessage&) { tick(); };
    window().show();
    QTest::keyClick(window().Text1, Qt::Key_A);
    EXPECT_EQ(window().text(), "a");
    EXPECT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(clipboard.clears, 0);
}

TEST_F(ClipboardPollerTest, OddTextsAreCapturedOnceAndKeptExactly) {
    const QString odd = QStringLiteral("a\r\nb") + QChar(0) + QStringLiteral("c\uFFFD\u00a0");
    copy(odd);
    tick();
    tick();
    tick();
    EXPECT_EQ(window().text(), odd);
    EXPECT_EQ(clipboard.writes, QStringList{odd});
    EXPECT_EQ(clipboard.text, odd);
    EXPECT_EQ(desktop.beeps, 1);
}

} // namespace
} // namespace ziq::test
