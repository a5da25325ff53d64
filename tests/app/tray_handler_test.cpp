#include "app/form1.h"
#include "app/tray_message.h"
#include "settings/options_window.h"
#include "support/test_program.h"

#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <gtest/gtest.h>

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
    MenuWatch menu(form());
    EXPECT_FALSE(form().menuBusy);
    form().pichookMouseMove(kRightButtonUp);
    EXPECT_EQ(menu.openings, 1);
    EXPECT_TRUE(menu.busyWhileOpen);
    EXPECT_FALSE(form().menuBusy);
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

} // namespace
} // namespace ziq::test
