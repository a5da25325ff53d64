#include "e2e/tray_e2e.h"

#include <gtest/gtest.h>
#include <thread>

namespace ziq::e2e {
namespace {

TEST(TrayLateHost, WithoutATrayTheProgramCapturesAndItsIconAppearsAndReturnsWithTheTray) {
    if (!haveDisplay()) {
        GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
    }
    PrivateDisplay display;
    ASSERT_TRUE(display.ready()) << "could not start a private X server";
    RealProgram program;
    program.writeSettings({{"ZIQ/BEEPON", "0"}, {"ZIQ/SAVETYPE", "1"}});
    program.start();
    std::this_thread::sleep_for(1500ms);
    ASSERT_TRUE(program.running()) << program.errors().toStdString();
    EXPECT_FALSE(trayIconOf(program.pid()).has_value());

    // Capturing goes on without a tray.
    setClipboard("copied with no tray");
    EXPECT_TRUE(waitUntil([&] {
        return readFile(program.file("ziq.txt")).find("TEXT=copied with no tray") !=
               std::string::npos;
    })) << "nothing was captured";

    ASSERT_TRUE(display.startTrayHost()) << "trayer did not come up";
    const auto icon = waitForTrayIcon(program.pid());
    ASSERT_TRUE(icon.has_value()) << "the icon did not appear once the tray was there";
    clickWindow(*icon, 3);
    EXPECT_TRUE(waitForTrayMenu(program.pid()).has_value());
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});

    // A tray that crashes and comes back takes the icon again.
    display.stopTrayHost();
    ASSERT_TRUE(waitUntil([&] { return !trayIconOf(program.pid()).has_value(); }));
    ASSERT_TRUE(display.startTrayHost()) << "trayer did not come up again";
    const auto again = waitForTrayIcon(program.pid());
    ASSERT_TRUE(again.has_value()) << "the icon did not come back with the tray";
    clickWindow(*again, 3);
    EXPECT_TRUE(waitForTrayMenu(program.pid()).has_value());
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});

    program.terminate();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
}

} // namespace
} // namespace ziq::e2e
