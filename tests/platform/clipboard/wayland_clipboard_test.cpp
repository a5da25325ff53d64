#include "platform/clipboard/wayland/wayland_clipboard.h"

#include "platform/clipboard/wayland/data_control.h"
#include "support/fake_compositor.h"

#include <QTest>
#include <gtest/gtest.h>

#include <unistd.h>

namespace ziq {
namespace {

using namespace std::chrono_literals;
using test::DataControlKind;
using test::FakeCompositor;

class WaylandClipboardTest : public testing::TestWithParam<DataControlKind> {
protected:
    // What a background read brings, once it has come.
    std::optional<QString> readWhenAnswered() {
        std::optional<QString> text = clipboard.readText();
        if (!clipboard.answerPending()) {
            return text;
        }
        QObject context;
        bool answered = false;
        clipboard.whenAnswered(&context, [&] { answered = true; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return answered; }, 20000));
        return clipboard.readText();
    }

    std::unique_ptr<DataControl> connect() {
        return DataControl::connectTo(compositor.connectClient(), 10s);
    }

    FakeCompositor compositor{GetParam()};
    ClipboardReadGuard::Clock::time_point now = ClipboardReadGuard::Clock::now();
    WaylandClipboard clipboard{connect(), [this] { return connect(); }, [this] { return now; }};
};

TEST_P(WaylandClipboardTest, ReadsInTheBackgroundAndTellsWhenTheAnswerIsIn) {
    compositor.copy({{"text/html", "<b>rich</b>"}, {"text/plain;charset=utf-8", "rich"}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return compositor.selectionTypes().size() == 2; }));
    clipboard.changeCount();
    EXPECT_EQ(clipboard.readText(), std::nullopt);
    EXPECT_TRUE(clipboard.answerPending());
    EXPECT_EQ(readWhenAnswered(), QString("rich"));
    EXPECT_TRUE(clipboard.hasText());
    EXPECT_EQ(clipboard.isSecret(), false);
}

TEST_P(WaylandClipboardTest, ACopyThatWaitsOnTheSocketCountsAtTheNextQuestion) {
    ASSERT_TRUE(clipboard.writeText("ours"));
    const auto ours = clipboard.changeCount();
    ASSERT_TRUE(ours.has_value());
    compositor.copy({{"text/plain;charset=utf-8", "theirs"}});
    // No event loop ran in between.
    EXPECT_NE(clipboard.changeCount(), ours);
    EXPECT_EQ(readWhenAnswered(), QString("theirs"));
}

// Text goes both ways in pieces; a character cut between two of them must come whole.
TEST_P(WaylandClipboardTest, ServesItsTextAsUtf8) {
    const QString text = QString(32767, 'a') + QString::fromUtf8("\xF0\x9F\x98\x80") +
                         QString::fromUtf8("gr\xC3\xBC\xC3\x9F\x65 \xE2\x9C\x93 \xF0\x9F\x98\x80");
    ASSERT_TRUE(clipboard.writeText(text));
    ASSERT_TRUE(QTest::qWaitFor([&] { return compositor.selectionIsAClients(); }));
    const int fd = compositor.paste("text/plain;charset=utf-8");
    const PipeRead got = readPipe(fd, 1 << 20, std::chrono::steady_clock::now() + 20s);
    ::close(fd);
    EXPECT_EQ(got.bytes, text.toStdString());
}

TEST_P(WaylandClipboardTest, ReadsUtf8ThatArrivesInPieces) {
    std::string bytes;
    for (int i = 0; i < 30000; ++i) {
        bytes += "\xC3\xBC\xE2\x9C\x93\xF0\x9F\x98\x80"
                 "a";
    }
    bytes += "\xE2\x9C"; // cut short at its very end
    compositor.copy({{"text/plain;charset=utf-8", bytes}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return compositor.selectionTypes().size() == 1; }));
    clipboard.changeCount();
    EXPECT_EQ(readWhenAnswered(), QString::fromUtf8(bytes));
}

TEST_P(WaylandClipboardTest, SecretsAndFileListsAreNoText) {
    compositor.copy(
        {{"text/plain;charset=utf-8", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}});
    clipboard.changeCount();
    readWhenAnswered();
    EXPECT_EQ(clipboard.isSecret(), true);
    compositor.copy(
        {{"text/uri-list", "file:///tmp/a.txt\r\n"}, {"text/plain;charset=utf-8", "/tmp/a.txt"}});
    clipboard.changeCount();
    EXPECT_EQ(readWhenAnswered(), QString());
    EXPECT_FALSE(clipboard.hasText());
}

TEST_P(WaylandClipboardTest, AnOwnerThatDidNotAnswerIsAskedAgainAfterAWhileWithoutAChange) {
    compositor.copy({{"text/plain;charset=utf-8", "slow once"}}, 1);
    const auto changes = clipboard.changeCount();
    EXPECT_EQ(readWhenAnswered(), std::nullopt); // the read gave up on the owner
    now += ClipboardReadGuard::kFirstAskAgainAfter - 1ms;
    EXPECT_EQ(clipboard.readText(), std::nullopt);
    EXPECT_FALSE(clipboard.answerPending()) << "asked again before the wait was over";
    now += 1ms;
    EXPECT_EQ(readWhenAnswered(), QString("slow once"));
    EXPECT_EQ(clipboard.changeCount(), changes);
}

TEST_P(WaylandClipboardTest, LostDataControlIsToldOnceStoodInForAndTakenBackWhenOffered) {
    QStringList notices;
    clipboard.setNotice([&](const QString& notice) { notices << notice; });
    compositor.withdrawManager(); // as a compositor that ends it: no connection offers it now
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notices.isEmpty(); }, 20000));
    // Meanwhile the toolkit's clipboard serves.
    ASSERT_TRUE(clipboard.writeText("through the toolkit"));
    clipboard.changeCount();
    EXPECT_EQ(clipboard.readText(), QString("through the toolkit"));
    EXPECT_FALSE(compositor.selectionIsAClients());

    compositor.offerManagerAgain();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            clipboard.writeText("through data control again");
            return compositor.selectionIsAClients();
        },
        60000)); // the delay between attempts grows to 30 s
    EXPECT_EQ(notices.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, WaylandClipboardTest,
                         testing::Values(DataControlKind::Ext, DataControlKind::Wlr),
                         test::kindName<testing::TestParamInfo<DataControlKind>>);

} // namespace
} // namespace ziq
