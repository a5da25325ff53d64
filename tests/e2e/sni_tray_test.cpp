#include "e2e/sni_e2e.h"

#include <gtest/gtest.h>
#include <thread>

namespace ziq::e2e {
namespace {

const QStringList kCaptions = {"View Text",       "View Link/String Catcher",
                               "Clear Clipboard", "Turn Off ZIQ",
                               "Options",         "About",
                               "Cancel",          "Exit"};

class SniTray : public RealProgramTest {
protected:
    void SetUp() override {
        RealProgramTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        if (!watcherOnTheBus()) {
            GTEST_SKIP() << "needs a StatusNotifierItem host: run through tools/with_sni_tray.sh";
        }
        program.writeSettings({{"ZIQ/BEEPON", "0"}});
        program.start();
        const auto found = waitForItem(program.pid());
        ASSERT_TRUE(found.has_value()) << "the item was not registered with the watcher";
        item = *found;
    }

    bool optionsOpen() { return !findWindows(QStringLiteral("^ZIQ Options$")).isEmpty(); }

    SniItem item;
};

TEST_F(SniTray, TheItemCarriesTheTipAndExportsTheMenuWhoseCommandsRun) {
    EXPECT_TRUE(itemProperty(item, QStringLiteral("ToolTip")).contains(QStringLiteral(", 'ZIQ', ")))
        << itemProperty(item, QStringLiteral("ToolTip")).toStdString();
    // The on/off caption comes with the first tick.
    EXPECT_TRUE(waitUntil([&] { return menuCaptions(item) == kCaptions; }))
        << menuCaptions(item).join(QStringLiteral(" | ")).toStdString();
    EXPECT_FALSE(trayIconOf(program.pid()).has_value()) << "no XEmbed icon besides";

    ASSERT_TRUE(clickMenuEntry(item, QStringLiteral("Turn Off ZIQ")));
    EXPECT_TRUE(waitUntil([&] { return menuCaptions(item).value(3) == "Turn On ZIQ"; }));
    ASSERT_TRUE(clickMenuEntry(item, QStringLiteral("Cancel")));
    ASSERT_TRUE(clickMenuEntry(item, QStringLiteral("View Text")));
    EXPECT_TRUE(waitForWindow(QStringLiteral("^Recent Clipboard Text$")).has_value());
    EXPECT_EQ(menuCaptions(item).size(), 8) << "Cancel leaves the menu as it was";

    ASSERT_TRUE(clickMenuEntry(item, QStringLiteral("Exit")));
    ASSERT_TRUE(program.waitForExit()) << "Exit did not end the program";
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(registeredItems().isEmpty()) << "the item outlived the program";
}

// One Activate does nothing, two quick ones open the Options window and the menu, and a
// ContextMenu request opens the menu.
TEST_F(SniTray, ActivateOnceTwiceAndContextMenuFromTheHost) {
    const QString activate = QStringLiteral("Activate");
    callItem(item, activate);
    // Longer than any double-click interval: a later Activate cannot pair with this one.
    std::this_thread::sleep_for(1500ms);
    EXPECT_FALSE(optionsOpen());
    EXPECT_FALSE(trayMenuOf(program.pid()).has_value());

    callItem(item, activate, 2);
    EXPECT_TRUE(waitForWindow(QStringLiteral("^ZIQ Options$")).has_value());
    ASSERT_TRUE(waitForTrayMenu(program.pid()).has_value()) << "the menu did not open";
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(waitUntil([&] { return !trayMenuOf(program.pid()).has_value(); }));
    EXPECT_TRUE(program.running());

    // A host that asks the item for its menu gets it.
    callItem(item, QStringLiteral("ContextMenu"));
    ASSERT_TRUE(waitForTrayMenu(program.pid()).has_value()) << "ContextMenu opened no menu";
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(waitUntil([&] { return !trayMenuOf(program.pid()).has_value(); }));
}

// A right click on the panel itself, where the status tray holds our item alone, at its start.
// (No double click here: how far apart its two Activates arrive would depend on the machine.)
TEST_F(SniTray, ThePanelDrawsTheExportedMenuAndItsExitEndsTheProgram) {
    const QPoint icon(16, 16);
    const int panelHeight = 32; // as tools/with_sni_tray.sh sets it up
    // The panel draws the exported menu below itself; the program pops up none of its own.
    // Until the panel has drawn the item, the click meets the panel, whose own menu opens
    // over it, at the pointer: closed, and the user clicks again.
    QList<QRect> menus;
    const bool itemMenu = waitUntil(
        [&] {
            if (!menus.isEmpty()) {
                run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
                waitUntil([&] { return hostMenus(program.pid()).isEmpty(); });
            }
            run(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(icon.x()), QString::number(icon.y()),
                 QStringLiteral("click"), QStringLiteral("3")});
            waitUntil([&] { return !(menus = hostMenus(program.pid())).isEmpty(); }, 5s);
            return !menus.isEmpty() && menus.first().top() >= panelHeight;
        },
        30s);
    ASSERT_TRUE(itemMenu) << "the panel showed no menu for the item";
    EXPECT_FALSE(trayMenuOf(program.pid()).has_value());
    clickAt(exitItemOf(menus.first()));
    ASSERT_TRUE(program.waitForExit()) << "Exit in the panel's menu did not end the program";
    EXPECT_EQ(program.exitCode(), 0);
}

// Autostart often runs the program before the panel, and a panel may crash and come back.
class SniLatePanel : public RealProgramTest {
protected:
    void SetUp() override {
        RealProgramTest::SetUp();
        if (!IsSkipped() && (!watcherOnTheBus() || qEnvironmentVariableIsEmpty("ZIQ_SNI_PANEL"))) {
            GTEST_SKIP() << "needs a StatusNotifierItem host: run through tools/with_sni_tray.sh";
        }
    }
    void TearDown() override {
        RealProgramTest::TearDown();
        if (!IsSkipped() && !watcherOnTheBus()) {
            panel("start"); // for the tests after this one
        }
    }
    static bool panel(const char* what) {
        return run(qEnvironmentVariable("ZIQ_SNI_PANEL"), {QString::fromLatin1(what)}, {}, 40s)
                   .exitCode == 0;
    }
};

TEST_F(SniLatePanel, APanelThatStartsLaterOrRestartsGetsTheItem) {
    ASSERT_TRUE(panel("stop"));
    program.writeSettings({{"ZIQ/BEEPON", "0"}});
    program.start();
    std::this_thread::sleep_for(4s); // the panel comes 4 s later, as at a log-in
    ASSERT_TRUE(program.running()) << program.errors().toStdString();
    ASSERT_TRUE(panel("start")) << "the panel did not come up";
    auto item = waitForItem(program.pid());
    ASSERT_TRUE(item.has_value()) << "the item was not registered once the panel was there";
    EXPECT_FALSE(trayIconOf(program.pid()).has_value()) << "no XEmbed icon besides";
    EXPECT_TRUE(waitUntil([&] { return menuCaptions(*item) == kCaptions; }))
        << menuCaptions(*item).join(QStringLiteral(" | ")).toStdString();
    ASSERT_TRUE(clickMenuEntry(*item, QStringLiteral("View Text")));
    EXPECT_TRUE(waitForWindow(QStringLiteral("^Recent Clipboard Text$")).has_value());

    ASSERT_TRUE(panel("stop")); // killed, as in a crash
    ASSERT_TRUE(panel("start"));
    item = waitForItem(program.pid());
    ASSERT_TRUE(item.has_value()) << "the item was not registered again after the restart";
    ASSERT_TRUE(clickMenuEntry(*item, QStringLiteral("Exit")));
    ASSERT_TRUE(program.waitForExit()) << "Exit did not end the program";
    EXPECT_EQ(program.exitCode(), 0);
}

} // namespace
} // namespace ziq::e2e
