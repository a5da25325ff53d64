#include "e2e/tray_e2e.h"

#include <gtest/gtest.h>
#include <thread>

namespace ziq::e2e {
namespace {

class TrayMenu : public RealProgramTest {
protected:
    void SetUp() override {
        RealProgramTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        program.writeSettings({{"ZIQ/ON", "0"}});
        settings = readFile(program.file("ziq2.ini"));
        program.start();
        const auto found = waitForTrayIcon(program.pid());
        ASSERT_TRUE(found.has_value()) << "no tray icon";
        icon = *found;
    }

    std::string settings;
    QString icon;
};

TEST_F(TrayMenu, RightClickOpensTheMenuAndExitRemovesTheIconAndEnds) {
    EXPECT_EQ(trayIconCount(), 1);
    // A single left click opens nothing.
    clickWindow(icon, 1);
    std::this_thread::sleep_for(700ms);
    EXPECT_FALSE(trayMenuOf(program.pid()).has_value());

    // The right button opens the menu when it is released, not when it is pressed.
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--window"), icon, QStringLiteral("6"),
         QStringLiteral("6"), QStringLiteral("mousedown"), QStringLiteral("3")});
    std::this_thread::sleep_for(700ms);
    EXPECT_FALSE(trayMenuOf(program.pid()).has_value()) << "opened on the press";
    run(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QStringLiteral("3")});
    const auto menu = waitForTrayMenu(program.pid());
    ASSERT_TRUE(menu.has_value()) << "the tray menu did not open";
    const QRect place = geometryOf(*menu);
    EXPECT_GE(place.height(), 8 * 12) << "eight items";

    clickAt(exitItemOf(place));
    ASSERT_TRUE(program.waitForExit()) << "Exit did not end the program";
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(windowExists(icon));
    EXPECT_EQ(trayIconCount(), 0);
    EXPECT_EQ(readFile(program.file("ziq2.ini")), settings);
}

TEST_F(TrayMenu, DoubleClickOpensTheOptionsWindowAndTheMenu) {
    clickWindow(icon, 1, 2);
    EXPECT_TRUE(waitForWindow(QStringLiteral("^ZIQ Options$")).has_value());
    const auto menu = waitForTrayMenu(program.pid());
    ASSERT_TRUE(menu.has_value()) << "the tray menu did not open";
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(waitUntil([&] { return !trayMenuOf(program.pid()).has_value(); }));
    EXPECT_TRUE(program.running());
}

TEST_F(TrayMenu, CancelClosesTheMenuAndTheProgramRunsOn) {
    clickWindow(icon, 3);
    const auto menu = waitForTrayMenu(program.pid());
    ASSERT_TRUE(menu.has_value()) << "the tray menu did not open";
    // "Cancel" is the item above "Exit".
    const QRect place = geometryOf(*menu);
    clickAt(exitItemOf(place) - QPoint(0, place.height() / 8));
    EXPECT_TRUE(waitUntil([&] { return !trayMenuOf(program.pid()).has_value(); }));
    EXPECT_FALSE(program.waitForExit(1000ms));
    // The menu opens again as before.
    clickWindow(icon, 3);
    EXPECT_TRUE(waitForTrayMenu(program.pid()).has_value());
}

} // namespace
} // namespace ziq::e2e
