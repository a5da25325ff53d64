#include "app/double_activate.h"
#include "app/form1.h"
#include "app/tray_message.h"
#include "settings/options_window.h"
#include "support/test_program.h"

#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <gtest/gtest.h>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ziq::test {
namespace {

// Records each opening of the tray menu and closes it again, so the handler returns.
class MenuWatch {
public:
    explicit MenuWatch(Form1& form, std::function<void()> whileOpen = {}) : form_(form) {
        connection_ = QObject::connect(form.mnuBar, &QMenu::aboutToShow, form.mnuBar,
                                       [this, whileOpen = std::move(whileOpen)] {
                                           ++openings;
                                           busyWhileOpen = form_.menuBusy;
                                           if (whileOpen) {
                                               whileOpen();
                                           }
                                           QTimer::singleShot(0, form_.mnuBar, &QMenu::close);
                                       });
    }
    ~MenuWatch() { QObject::disconnect(connection_); }
    MenuWatch(const MenuWatch&) = delete;
    MenuWatch& operator=(const MenuWatch&) = delete;

    int openings = 0;
    bool busyWhileOpen = false;

private:
    Form1& form_;
    QMetaObject::Connection connection_;
};

class TrayHandler : public testing::Test {
protected:
    Form1& form() { return *tp.app->form1; }
    bool optionsVisible() {
        return tp.app->frmOptions != nullptr && tp.app->frmOptions->isVisible();
    }
    TestProgram tp;
};

TEST_F(TrayHandler, RightButtonReleaseOpensTheMenuAndIsBusyOnlyWhileItIsOpen) {
    FakeTrayHost& host = tp.trayHost;
    std::pair<int, int> hostToldWhileOpen;
    MenuWatch menu(form(), [&] { hostToldWhileOpen = {host.menusOpening, host.menusClosed}; });
    EXPECT_FALSE(form().menuBusy);
    form().pichookMouseMove(kRightButtonUp);
    EXPECT_EQ(menu.openings, 1);
    EXPECT_TRUE(menu.busyWhileOpen);
    EXPECT_FALSE(form().menuBusy);
    // The tray host hears of the menu before it opens and once it has closed.
    EXPECT_EQ(hostToldWhileOpen, std::make_pair(1, 0));
    EXPECT_EQ(host.menusClosed, 1);
    EXPECT_EQ(form().trayMessage, 517);
    EXPECT_FALSE(optionsVisible());
    // Not a one-off: the next release opens it again.
    form().pichookMouseMove(kRightButtonUp);
    EXPECT_EQ(menu.openings, 2);
}

TEST_F(TrayHandler, LeftDoubleClickOpensTheOptionsWindowThenTheMenu) {
    bool optionsShownFirst = false;
    MenuWatch menu(form(), [&] { optionsShownFirst = optionsVisible(); });
    form().pichookMouseMove(kLeftButtonDoubleClick);
    EXPECT_EQ(menu.openings, 1);
    EXPECT_TRUE(optionsShownFirst);
    EXPECT_TRUE(optionsVisible());
    EXPECT_FALSE(form().menuBusy);
}

TEST_F(TrayHandler, NotificationsWhileTheMenuIsOpenAreIgnored) {
    int trayMessageSeen = 0;
    MenuWatch menu(form(), [&] {
        form().pichookMouseMove(kRightButtonUp);
        form().pichookMouseMove(kLeftButtonDoubleClick);
        trayMessageSeen = form().trayMessage;
        EXPECT_TRUE(form().menuBusy);
    });
    form().pichookMouseMove(kRightButtonUp);
    EXPECT_EQ(menu.openings, 1);
    EXPECT_FALSE(optionsVisible());
    // The code is still taken in; only the handling is skipped.
    EXPECT_EQ(trayMessageSeen, 515);
    EXPECT_FALSE(form().menuBusy);
}

TEST_F(TrayHandler, EveryOtherMouseEventDoesNothing) {
    MenuWatch menu(form());
    // move, left down/up, right down, right and middle double click, middle down/up, junk
    for (const std::int32_t code : {512, 513, 514, 516, 518, 519, 520, 521, 0, -517, 51700}) {
        form().pichookMouseMove(code);
        EXPECT_EQ(form().trayMessage, code);
        EXPECT_FALSE(form().menuBusy) << code;
    }
    EXPECT_EQ(menu.openings, 0);
    EXPECT_FALSE(optionsVisible());
}

#ifdef _WIN32
// Wine keeps no foreground rule for menus to show the fault; the calls are there.
TEST(SystemTrayHostMenu, TheOwnerIsBroughtForwardThenToldOnceTheMenuHasClosed) {
    QWidget owner;
    SystemTrayHost host;
    host.menuOpening(owner);
    const HWND window = reinterpret_cast<HWND>(owner.winId());
    EXPECT_EQ(GetForegroundWindow(), window);
    host.menuClosed(owner);
    MSG message;
    bool told = false;
    while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
        told = told || message.message == WM_NULL;
    }
    EXPECT_TRUE(told);
}
#endif

TEST(TrayMessage, ActivationReasonsBecomeMouseMessageCodes) {
    EXPECT_EQ(trayMessageFor(QSystemTrayIcon::DoubleClick), 515);
    EXPECT_EQ(trayMessageFor(QSystemTrayIcon::Context), 517);
    for (const auto reason :
         {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
        const std::int32_t code = trayMessageFor(reason);
        EXPECT_NE(code, 515) << reason;
        EXPECT_NE(code, 517) << reason;
    }
}

TEST(TrayIcon, ActivationsOfTheRealIconReachTheHandlerOutsideTheIconsOwnHandling) {
    TestProgram tp;
    ASSERT_TRUE(tp.app->start());
    Form1& form = *tp.app->form1;
    ASSERT_NE(form.trayIcon, nullptr);
    EXPECT_EQ(form.trayIcon->contextMenu(), nullptr);
    MenuWatch menu(form);
    emit form.trayIcon->activated(QSystemTrayIcon::Trigger);
    emit form.trayIcon->activated(QSystemTrayIcon::MiddleClick);
    QCoreApplication::processEvents();
    EXPECT_EQ(menu.openings, 0);
    // Exit from the menu deletes the icon, so the menu must not wait inside its signal.
    emit form.trayIcon->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(menu.openings, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(menu.openings, 1);
    EXPECT_EQ(form.trayMessage, 517);
    emit form.trayIcon->activated(QSystemTrayIcon::DoubleClick);
    QCoreApplication::processEvents();
    EXPECT_EQ(menu.openings, 2);
    EXPECT_TRUE(tp.app->frmOptions != nullptr && tp.app->frmOptions->isVisible());
    // A click that arrives once shutdown has begun opens nothing.
    emit form.trayIcon->activated(QSystemTrayIcon::Context);
    tp.program->shuttingDown = 1;
    QCoreApplication::processEvents();
    EXPECT_EQ(menu.openings, 2);
}

TEST(DoubleActivate, TheSecondActivateWithinTheIntervalIsTheDoubleClick) {
    using std::chrono::milliseconds;
    const milliseconds interval(400);
    struct Case {
        const char* what;
        std::vector<milliseconds> activates;
        std::vector<bool> doubles;
    };
    const std::vector<Case> cases = {
        {"one alone", {milliseconds(10)}, {false}},
        {"two quick ones", {milliseconds(10), milliseconds(409)}, {false, true}},
        {"two on the interval", {milliseconds(10), milliseconds(410)}, {false, false}},
        {"a third quick one starts anew",
         {milliseconds(10), milliseconds(20), milliseconds(30), milliseconds(40)},
         {false, true, false, true}},
        {"a slow first pair, then a quick one",
         {milliseconds(10), milliseconds(900), milliseconds(1000)},
         {false, false, true}},
        {"a clock that went back", {milliseconds(500), milliseconds(300)}, {false, false}},
    };
    for (const Case& c : cases) {
        DoubleActivate pairs;
        for (std::size_t i = 0; i < c.activates.size(); ++i) {
            EXPECT_EQ(pairs.activate(c.activates[i], interval), c.doubles[i])
                << c.what << ", activate " << i;
        }
    }
}

// A host on D-Bus: it draws the exported menu and sends Activate (Trigger) per left click.
class StatusNotifierTray : public testing::Test {
protected:
    void SetUp() override {
        tp.trayHost.trayKind = TrayKind::StatusNotifierItem;
        ASSERT_TRUE(tp.app->start());
    }
    Form1& form() { return *tp.app->form1; }
    void activate(QSystemTrayIcon::ActivationReason reason, int afterMs) {
        tp.trayHost.time += std::chrono::milliseconds(afterMs);
        emit form().trayIcon->activated(reason);
        QCoreApplication::processEvents();
    }
    bool optionsVisible() {
        return tp.app->frmOptions != nullptr && tp.app->frmOptions->isVisible();
    }
    TestProgram tp;
};

TEST_F(StatusNotifierTray, TheHostGetsTheMenuAndOurMenuStaysOurs) {
    EXPECT_EQ(form().trayKind, TrayKind::StatusNotifierItem);
    EXPECT_EQ(form().trayIcon->contextMenu(), form().mnuBar);
    EXPECT_EQ(form().mnuBar->actions().size(), 8);
    // A host that asks for the menu gets it opened, as a right button release.
    MenuWatch menu(form());
    activate(QSystemTrayIcon::Context, 1000);
    EXPECT_EQ(menu.openings, 1);
    EXPECT_TRUE(menu.busyWhileOpen);
    EXPECT_FALSE(form().menuBusy);
    EXPECT_FALSE(optionsVisible());
}

TEST_F(StatusNotifierTray, TwoActivatesWithinTheIntervalAreTheDoubleClick) {
    tp.trayHost.interval = std::chrono::milliseconds(500);
    bool optionsShownFirst = false;
    MenuWatch menu(form(), [&] { optionsShownFirst = optionsVisible(); });
    activate(QSystemTrayIcon::Trigger, 1000);
    EXPECT_EQ(form().trayMessage, kLeftButtonUp);
    activate(QSystemTrayIcon::Trigger, 500); // the desktop's interval, not a fixed one
    EXPECT_EQ(menu.openings, 0);
    EXPECT_FALSE(optionsVisible());

    activate(QSystemTrayIcon::Trigger, 499);
    EXPECT_EQ(form().trayMessage, kLeftButtonDoubleClick);
    EXPECT_EQ(menu.openings, 1);
    EXPECT_TRUE(optionsShownFirst);
    EXPECT_FALSE(form().menuBusy);
    // The pair is used up: one more quick Activate is a single click again.
    activate(QSystemTrayIcon::Trigger, 100);
    EXPECT_EQ(menu.openings, 1);
}

TEST(TrayIcon, OnAnXEmbedTrayActivatesAreNeverPairedAndNoMenuIsExported) {
    TestProgram tp; // the fake host is an XEmbed tray unless told otherwise
    ASSERT_TRUE(tp.app->start());
    Form1& form = *tp.app->form1;
    EXPECT_EQ(form.trayKind, TrayKind::IconEvents);
    EXPECT_EQ(form.trayIcon->contextMenu(), nullptr);
    MenuWatch menu(form);
    // Qt reports a double click there itself, after the first click's Trigger.
    emit form.trayIcon->activated(QSystemTrayIcon::Trigger);
    emit form.trayIcon->activated(QSystemTrayIcon::Trigger);
    QCoreApplication::processEvents();
    EXPECT_EQ(menu.openings, 0);
    EXPECT_EQ(tp.app->frmOptions, nullptr);
}

// A panel that starts after the program: the icon is made once it is there, of its kind.
TEST(TrayIcon, WithNoTrayYetTheIconIsMadeWhenOneAppears) {
    TestProgram tp;
    tp.trayHost.trayKind = TrayKind::None;
    ASSERT_TRUE(tp.app->start());
    Form1& form = *tp.app->form1;
    EXPECT_EQ(form.trayIcon, nullptr);
    // A copy: the call ends the watch, as the real host's queued calls may.
    const std::function<void()> appeared = tp.trayHost.trayAppeared;
    ASSERT_TRUE(appeared);
    appeared(); // a false alarm: still no tray
    EXPECT_EQ(form.trayIcon, nullptr);

    tp.trayHost.trayKind = TrayKind::StatusNotifierItem;
    appeared();
    ASSERT_NE(form.trayIcon, nullptr);
    EXPECT_TRUE(form.trayIcon->isVisible());
    EXPECT_EQ(form.trayIcon->toolTip(), QStringLiteral("ZIQ"));
    EXPECT_EQ(form.trayIcon->contextMenu(), form.mnuBar);
    EXPECT_FALSE(tp.trayHost.trayAppeared) << "the watch goes on once the icon is made";
}

} // namespace
} // namespace ziq::test
