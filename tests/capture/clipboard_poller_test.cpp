#include "capture/clipboard_poller.h"

#include "capture_test_fixture.h"
#include "profile/profile_test_hooks.h"

#include <QPlainTextEdit>
#include <QTest>
#include <fstream>

namespace ziq::test {
namespace {

// Every case runs with a clipboard that reports its changes (X11, Windows) and with one that
// does not: the outcomes are the same, only the reads differ.
class ClipboardPollerTest : public CaptureTest, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        tp.clipboard.reportsChanges = GetParam();
        ClipboardPoller& poller = window().poller();
        QObject::connect(&poller, &ClipboardPoller::onOffCaptionChanged, &poller,
                         [this](const QString& caption) { caption_ = caption; });
        QObject::connect(&poller, &ClipboardPoller::linkCaught, &poller,
                         [this](const QString& link) { links_ << link; });
        QObject::connect(&poller, &ClipboardPoller::hitAndRunFinished, &poller,
                         [this] { ++finished_; });
    }
    void tick() { window().tick(); }
    void copy(const QString& text) { tp.clipboard.text = text; }
    QString caption() const { return caption_; }
    QString links() const { return links_.join(QStringLiteral("\r\n")); }
    int interval() { return window().Timer1->interval(); }
    // Makes the log fail: its folder does not exist.
    void breakLogFolder() {
        program().settings.savedFilePath = withTrailingSeparator(tp.path("gone"));
    }

    FakeClipboard& clipboard = tp.clipboard;
    QString caption_;
    QStringList links_;
    int finished_ = 0;
    FakeDesktop& desktop = tp.desktop;
};

TEST_P(ClipboardPollerTest, NewTextIsLoggedThenLeftOnTheClipboardAsPlainTextOnce) {
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

TEST_P(ClipboardPollerTest, TheSameTextAgainDoesNothing) {
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

TEST_P(ClipboardPollerTest, TwoCapturesInOneSecondKeepTheLaterInTheLog) {
    copy(QStringLiteral("earlier"));
    tick();
    copy(QStringLiteral("later"));
    tick();
    EXPECT_EQ(dayLog(), entry("20040125093005", "later"));
}

TEST_P(ClipboardPollerTest, NoTextMeansTheClipboardIsNotTouched) {
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

TEST_P(ClipboardPollerTest, AFailedReadCapturesNothingAndRewritesNothing) {
    copy(QStringLiteral("old"));
    tick();
    copy(QStringLiteral("http://new.example"));
    clipboard.failReads = 1;
    tick();
    EXPECT_EQ(window().text(), "old");
    // In particular the former text is never written back over what the user copied.
    EXPECT_EQ(clipboard.text, "http://new.example");
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(links(), "");
    EXPECT_EQ(interval(), 1000);

    tick(); // nothing reported since the failed read: it is read again all the same
    EXPECT_EQ(window().text(), "http://new.example");
    EXPECT_EQ(clipboard.clears, 2);

    // Where changes are not reported, the rewrite reads once more; a failure there leaves the
    // clipboard alone too.
    if (!GetParam()) {
        copy(QStringLiteral("third"));
        clipboard.reads = 0;
        clipboard.beforeRead = [&] { clipboard.failReads = clipboard.reads == 2 ? 1 : 0; };
        tick();
        EXPECT_EQ(clipboard.reads, 2);
        EXPECT_EQ(window().text(), "third");
        EXPECT_EQ(clipboard.clears, 2);
    }
}

TEST_P(ClipboardPollerTest, ARewriteThatDidNotTakeIsTriedAgainAFewTimesLoggedOnce) {
    copy(QStringLiteral("rich"));
    clipboard.failWrites = 1;
    tick();
    EXPECT_EQ(clipboard.text, "rich");
    tick();
    EXPECT_EQ(clipboard.writes, (QStringList{"rich", "rich"}));
    EXPECT_EQ(dayLog(), entry("20040125093005", "rich"));
    EXPECT_EQ(desktop.beeps, 1);
    tick();
    EXPECT_EQ(clipboard.writes.size(), 2) << "done once it took";

    copy(QStringLiteral("never taken"));
    clipboard.failWrites = 100;
    for (int i = 0; i < 6; ++i) {
        tick();
    }
    EXPECT_EQ(clipboard.writes.size(), 5) << "given up after three tries";
    EXPECT_EQ(window().text(), "never taken");
}

TEST_P(ClipboardPollerTest, OnOffCaptionAndTheOffState) {
    program().settings.clipboardOn = "0";
    program().settings.hitAndRun = 1;
    program().settings.frequency = "3";
    copy(QStringLiteral("ignored"));
    tick();
    EXPECT_EQ(caption(), "Turn On ZIQ");
    EXPECT_TRUE(window().text().isEmpty());
    EXPECT_EQ(interval(), 50);
    EXPECT_FALSE(window().poller().endedProgram());
    EXPECT_EQ(finished_, 0);

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

TEST_P(ClipboardPollerTest, AnnouncementsNobodyListensToDoNotStopThePoll) {
    QObject::disconnect(&window().poller(), nullptr, nullptr, nullptr);
    program().settings.hitAndRun = 1;
    copy(QStringLiteral("still polled"));
    tick();
    EXPECT_EQ(window().text(), "still polled");
    EXPECT_EQ(clipboard.writes, QStringList{"still polled"});
    EXPECT_TRUE(window().poller().endedProgram());
    EXPECT_TRUE(caption().isEmpty());
}

TEST_P(ClipboardPollerTest, FrequencySetsTheInterval) {
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

TEST_P(ClipboardPollerTest, BeepAndLinkSettings) {
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

TEST_P(ClipboardPollerTest, HitAndRunProcessesOnceAndEnds) {
    program().settings.hitAndRun = 1;
    copy(QStringLiteral("http://hit.example"));
    tick();
    EXPECT_EQ(window().text(), "http://hit.example");
    EXPECT_EQ(dayLog(), entry("20040125093005", "http://hit.example"));
    EXPECT_EQ(clipboard.writes, QStringList{"http://hit.example"});
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(links(), "http://hit.example");
    EXPECT_TRUE(window().poller().endedProgram());
    EXPECT_EQ(finished_, 1);
    EXPECT_EQ(interval(), 50);
}

TEST_P(ClipboardPollerTest, ATickThatWaitsForTheClipboardsAnswerGoesOnWhenItComes) {
    program().settings.hitAndRun = 1;
    copy(QStringLiteral("http://later.example"));
    clipboard.pendingAnswers = 1;
    tick();
    tick(); // ticks meanwhile do nothing
    EXPECT_EQ(clipboard.reads, 0);
    EXPECT_TRUE(window().text().isEmpty());
    EXPECT_FALSE(window().poller().endedProgram());
    clipboard.answer();
    EXPECT_EQ(window().text(), "http://later.example");
    EXPECT_EQ(clipboard.writes, QStringList{"http://later.example"});
    EXPECT_EQ(links(), "http://later.example");
    EXPECT_EQ(finished_, 1);
}

TEST_P(ClipboardPollerTest, HitAndRunWithNothingToCaptureStillEnds) {
    program().settings.hitAndRun = 7;
    tick();
    EXPECT_TRUE(window().poller().endedProgram());
    EXPECT_EQ(finished_, 1);
    EXPECT_TRUE(window().text().isEmpty());
    EXPECT_EQ(clipboard.clears, 0);
}

TEST_P(ClipboardPollerTest, SecretClipboardIsLeftExactlyAsItIs) {
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

TEST_P(ClipboardPollerTest, ContentWhoseSecrecyCannotBeToldIsLeftUnreadTillTheNextTick) {
    copy(QStringLiteral("held open by another program"));
    clipboard.untoldSecrecy = 1;
    tick();
    EXPECT_EQ(clipboard.reads, 0);
    EXPECT_TRUE(window().text().isEmpty());
    EXPECT_EQ(clipboard.clears, 0);
    tick();
    EXPECT_EQ(window().text(), "held open by another program");
    EXPECT_EQ(clipboard.writes, QStringList{"held open by another program"});
}

TEST_P(ClipboardPollerTest, TicksDuringAnOpenBoxCaptureNothing) {
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

TEST_P(ClipboardPollerTest, TicksDuringABoxFromTypingCaptureNothing) {
    breakLogFolder();
    copy(QStringLiteral("waiting"));
    tp.messages.onShow = [&](const ShownMessage&) { tick(); };
    window().show();
    QTest::keyClick(window().Text1, Qt::Key_A);
    EXPECT_EQ(window().text(), "a");
    EXPECT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(clipboard.clears, 0);
}

TEST_P(ClipboardPollerTest, OddTextsAreCapturedOnceAndKeptExactly) {
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

TEST_P(ClipboardPollerTest, IdleTicksReadOnlyWhenTheClipboardOrText1MayHaveChanged) {
    copy(QStringLiteral("captured once"));
    tick();
    // Where changes are reported the clipboard is read at most once a tick.
    EXPECT_EQ(clipboard.reads, GetParam() ? 1 : 2);
    int reads = clipboard.reads;
    tick();
    tick();
    EXPECT_EQ(clipboard.reads - reads, GetParam() ? 0 : 2);

    // Another program offers the same text again: one look finds nothing new.
    reads = clipboard.reads;
    ++clipboard.changes;
    tick();
    tick();
    EXPECT_EQ(clipboard.reads - reads, GetParam() ? 1 : 2);
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_EQ(desktop.beeps, 1);

    copy(QStringLiteral("something new"));
    tick();
    EXPECT_EQ(window().text(), "something new");
    EXPECT_EQ(clipboard.writes, (QStringList{"captured once", "something new"}));
}

TEST_P(ClipboardPollerTest, TypingInText1IsUndoneByTheClipboardAtTheNextTick) {
    copy(QStringLiteral("from the clipboard"));
    tick();
    window().show();
    window().Text1->moveCursor(QTextCursor::End);
    QTest::keyClick(window().Text1, Qt::Key_X);
    ASSERT_EQ(window().text(), "from the clipboardx");
    tick(); // the clipboard reported nothing, but Text1 no longer holds its text
    EXPECT_EQ(window().text(), "from the clipboard");
    EXPECT_EQ(window().Text1->toPlainText(), "from the clipboard");
    EXPECT_EQ(dayLog(), entry("20040125093005", "from the clipboard"));
    EXPECT_EQ(clipboard.clears, 2);
    EXPECT_EQ(desktop.beeps, 2);
}

TEST_P(ClipboardPollerTest, AnEditOfTheLogByAnotherProgramBetweenTwoCapturesIsKept) {
    // Coarse file times: the edit keeps the log's size and time stamp, so only a change notice
    // (or keeping no index) tells the writer that what it knew is stale.
    profile::testing::simulateTimestampGranularity(1'000'000'000);
    program().settings.saveType = "1";
    copy(QString(20000, QLatin1Char('b'))); // large enough for the log to be indexed
    tick();
    const std::string log = tp.path("ziq.txt");
    {
        std::fstream edit(log, std::ios::in | std::ios::out | std::ios::binary);
        edit.write("[20040125093006]", 16); // at once, in place: the entry's stamp is a second on
    }
    tp.clock.time.second = 6;
    copy(QStringLiteral("second"));
    tick();
    profile::testing::simulateTimestampGranularity(0);
    EXPECT_EQ(readFile(log), entry("20040125093006", "second"));
}

INSTANTIATE_TEST_SUITE_P(Capture, ClipboardPollerTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& tested) {
                             return tested.param ? "ChangesReported" : "ChangesNotReported";
                         });

} // namespace
} // namespace ziq::test
