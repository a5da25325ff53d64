#include "e2e/tray_e2e.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <thread>

namespace ziq::e2e {
namespace {

const QString kUnwantedCaption = QStringLiteral("^unwanted instance$");

class InstanceGuard : public testing::Test {
protected:
    void SetUp() override {
        if (!haveDisplay()) {
            GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
        }
    }
    static void startRunning(RealProgram& program,
                             const std::map<std::string, std::string>& settings = {
                                 {"ZIQ/ON", "0"}}) {
        program.writeSettings(settings);
        program.start();
        ASSERT_TRUE(waitForTrayIcon(program.pid()).has_value()) << "no tray icon";
    }
    // The second copy's message: answered with Enter, after which that copy ends.
    static void answerUnwanted(RealProgram& copy) {
        const auto box = waitForWindow(kUnwantedCaption);
        ASSERT_TRUE(box.has_value()) << "no \"unwanted instance\" message";
        pressKey(*box, QStringLiteral("Return"));
        ASSERT_TRUE(copy.waitForExit());
        EXPECT_EQ(copy.exitCode(), 0);
    }
};

// The top-level windows in their stacking order, topmost first. A window manager stacks the
// frames it puts around them and keeps their order on the root window, bottom first.
QStringList stackingOrder() {
    const Run managed = run(QStringLiteral("xprop"),
                            {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    const bool byManager = managed.output.contains("window id #");
    const Run tree = byManager ? managed
                               : run(QStringLiteral("xwininfo"),
                                     {QStringLiteral("-root"), QStringLiteral("-children")});
    // xprop lists "# 0x1, 0x2"; xwininfo one child a line, after the root's and parent's ids.
    static const QRegularExpression id(QStringLiteral("(?:^\\s+|[#,] )(0x[0-9a-f]+)"),
                                       QRegularExpression::MultilineOption);
    QStringList windows;
    for (auto match = id.globalMatch(QString::fromUtf8(tree.output)); match.hasNext();) {
        windows.append(QString::number(match.next().captured(1).toULongLong(nullptr, 16)));
    }
    if (byManager) {
        std::reverse(windows.begin(), windows.end());
    }
    return windows;
}

TEST_F(InstanceGuard, ASecondCopyBringsTheFirstForwardSaysSoAndEnds) {
    RealProgram first;
    startRunning(first, {{"ZIQ/ON", "0"}, {"ZIQ/AUTOOOPENVIEWERS", "1"}});
    const auto viewer = waitForWindow(QStringLiteral("^Link Catcher$"));
    ASSERT_TRUE(viewer.has_value());
    // Another program's window covers it.
    QProcess cover;
    cover.start(
        QStringLiteral("xmessage"),
        {QStringLiteral("-geometry"), QStringLiteral("900x700+0+0"), QStringLiteral("covering")});
    const auto covering = waitForWindow(QStringLiteral("^xmessage$"));
    ASSERT_TRUE(covering.has_value());
    const auto above = [&] {
        const QStringList order = stackingOrder();
        return order.indexOf(*viewer) >= 0 && order.indexOf(*viewer) < order.indexOf(*covering);
    };
    ASSERT_FALSE(above());

    RealProgram second; // a fresh folder: a first run would write its settings
    second.start();
    ASSERT_TRUE(waitForWindow(kUnwantedCaption).has_value());
    EXPECT_TRUE(waitUntil(above)) << "the running copy did not come forward";
    EXPECT_FALSE(trayIconOf(second.pid()).has_value());
    answerUnwanted(second);
    EXPECT_FALSE(std::filesystem::exists(second.file("ziq2.ini")));
    EXPECT_TRUE(first.running());
    EXPECT_EQ(trayIconCount(), 1);
    cover.kill();
    cover.waitForFinished();

    first.terminate();
    ASSERT_TRUE(first.waitForExit());
    EXPECT_EQ(first.exitCode(), 0);
}

TEST_F(InstanceGuard, TwoCopiesStartedTogetherLeaveExactlyOneRunning) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        RealProgram one;
        RealProgram two;
        one.writeSettings({{"ZIQ/ON", "0"}});
        two.writeSettings({{"ZIQ/ON", "0"}});
        one.start();
        two.start();
        const auto box = waitForWindow(kUnwantedCaption);
        ASSERT_TRUE(box.has_value()) << "neither copy was turned away";
        pressKey(*box, QStringLiteral("Return"));
        ASSERT_TRUE(waitUntil([&] { return one.running() != two.running(); }))
            << "running: " << one.running() << two.running();
        EXPECT_FALSE(one.waitForExit(1000ms) && two.waitForExit(1000ms));
        EXPECT_EQ(one.running() + two.running(), 1);
        RealProgram& survivor = one.running() ? one : two;
        EXPECT_TRUE(waitForTrayIcon(survivor.pid()).has_value());
        EXPECT_EQ(trayIconCount(), 1);
        EXPECT_TRUE(findWindows(kUnwantedCaption).isEmpty());
        survivor.terminate();
        ASSERT_TRUE(survivor.waitForExit());
    }
}

TEST_F(InstanceGuard, ACopyKilledOutrightDoesNotBlockTheNextStart) {
    RealProgram crashed;
    startRunning(crashed);
    crashed.kill(); // SIGKILL: no chance to clean up
    ASSERT_FALSE(crashed.running());

    RealProgram next;
    startRunning(next);
    EXPECT_TRUE(findWindows(kUnwantedCaption).isEmpty());
    EXPECT_FALSE(next.waitForExit(1000ms));

    // It holds the channel now: the copy after it is turned away.
    RealProgram third;
    third.writeSettings({{"ZIQ/ON", "0"}});
    third.start();
    answerUnwanted(third);
    EXPECT_TRUE(next.running());

    next.terminate();
    ASSERT_TRUE(next.waitForExit());
    EXPECT_EQ(next.exitCode(), 0);
}

TEST_F(InstanceGuard, AfterExitTheNextCopyStartsNormally) {
    RealProgram first;
    startRunning(first);
    first.terminate();
    ASSERT_TRUE(first.waitForExit());
    RealProgram next;
    startRunning(next);
    EXPECT_TRUE(findWindows(kUnwantedCaption).isEmpty());
    next.terminate();
    ASSERT_TRUE(next.waitForExit());
}

} // namespace
} // namespace ziq::e2e
