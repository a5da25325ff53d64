#include "app/form1.h"
#include "app/tray_message.h"
#include "capture/to_text_window.h"
#include "dialogs/about_window.h"
#include "links/link_catcher_window.h"
#include "settings/options_window.h"
#include "support/temp_folder.h"
#include "support/test_program.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <gtest/gtest.h>

namespace ziq::test {
namespace {

class TrayMenu : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tp.app->start());
        ASSERT_NE(tp.app->form1, nullptr);
    }
    Form1& form() { return *tp.app->form1; }
    std::string& clipboardOn() { return tp.program->settings.clipboardOn; }
    TestProgram tp;
};

TEST_F(TrayMenu, EightItemsInTheirOrderWithTheirCaptions) {
    const QList<QAction*> items = form().mnuBar->actions();
    const QStringList names = {"menu2",      "mnuCatcher", "mnuClearClip", "mnuOnOff",
                               "mnuOptions", "mnuAbout",   "mnuCancel",    "mnuExit"};
    const QStringList captions = {"View Text",       "View Link/String Catcher",
                                  "Clear Clipboard", "",
                                  "Options",         "About",
                                  "Cancel",          "Exit"};
    ASSERT_EQ(items.size(), 8);
    for (qsizetype i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->objectName(), names[i]);
        EXPECT_FALSE(items[i]->isSeparator());
        if (names[i] != QStringLiteral("mnuOnOff")) { // its caption belongs to the poller
            EXPECT_EQ(items[i]->text(), captions[i]);
        }
    }
    EXPECT_EQ(form().mnuBar->title(), QStringLiteral("PopupMenu"));
}

TEST_F(TrayMenu, TheIconCarriesTheTipAndTheProgramIconAndWasThereForTheWelcome) {
    TestProgram fresh;
    bool iconDuringWelcome = false;
    fresh.messages.onShow = [&](const ShownMessage&) {
        const Form1* form = fresh.app->form1.get();
        iconDuringWelcome = form != nullptr && form->trayIcon != nullptr &&
                            form->trayIcon->isVisible() && fresh.app->frmToText == nullptr;
    };
    ASSERT_TRUE(fresh.app->start());
    ASSERT_FALSE(fresh.messages.shown.empty()) << "a first run greets the user";
    EXPECT_TRUE(iconDuringWelcome);
    const QSystemTrayIcon& icon = *fresh.app->form1->trayIcon;
    EXPECT_EQ(icon.toolTip(), QStringLiteral("ZIQ"));
    ASSERT_FALSE(icon.icon().isNull());
    EXPECT_FALSE(icon.icon().pixmap(32, 32).isNull());
    EXPECT_FALSE(fresh.app->form1->isVisible());
}

TEST_F(TrayMenu, ExitWhileTheWelcomeIsOpenEndsTheStartUp) {
    TestProgram fresh;
    fresh.messages.onShow = [&](const ShownMessage&) { fresh.app->form1->mnuExit->trigger(); };
    EXPECT_FALSE(fresh.app->start()) << "main() would go on into an endless event loop";
    EXPECT_EQ(fresh.app->frmToText, nullptr) << "no viewers, no poller";
    EXPECT_FALSE(fresh.app->form1->trayIcon->isVisible());
    EXPECT_EQ(fresh.messages.shown.size(), 1u);
    // Exit told the event loop, not running yet, to end; let one run and end, as later tests
    // run loops of their own.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QApplication::exec();
}

TEST_F(TrayMenu, ViewItemsShowTheViewerWindows) {
    ASSERT_FALSE(tp.app->frmToText->isVisible());
    ASSERT_FALSE(tp.app->frmLinkCatcher->isVisible());
    tp.app->frmToText->move(130, 170);
    form().menu2->trigger();
    EXPECT_TRUE(tp.app->frmToText->isVisible());
    EXPECT_EQ(tp.app->frmToText->pos(), QPoint(130, 170));
    EXPECT_FALSE(tp.app->frmLinkCatcher->isVisible());
    form().mnuCatcher->trigger();
    EXPECT_TRUE(tp.app->frmLinkCatcher->isVisible());
    // Showing a visible window again changes nothing.
    form().menu2->trigger();
    EXPECT_TRUE(tp.app->frmToText->isVisible());
    EXPECT_EQ(tp.app->frmToText->pos(), QPoint(130, 170));
}

TEST_F(TrayMenu, ClearClipboardEmptiesItAndNothingElse) {
    tp.clipboard.text = QStringLiteral("secret plans");
    const std::string onBefore = clipboardOn();
    form().mnuClearClip->trigger();
    EXPECT_EQ(tp.clipboard.clears, 1);
    EXPECT_TRUE(tp.clipboard.text.isEmpty());
    EXPECT_TRUE(tp.clipboard.writes.isEmpty());
    EXPECT_EQ(clipboardOn(), onBefore);
    // Emptying an empty clipboard is harmless.
    form().mnuClearClip->trigger();
    EXPECT_EQ(tp.clipboard.clears, 2);
}

TEST_F(TrayMenu, OnOffTogglesOnlyZeroAndOneAndOnlyInMemory) {
    const std::string fileBefore = readFile(tp.path("ziq2.ini"));
    ASSERT_NE(fileBefore.find("ON=1"), std::string::npos);
    clipboardOn() = "1";
    form().mnuOnOff->trigger();
    EXPECT_EQ(clipboardOn(), "0");
    form().mnuOnOff->trigger();
    EXPECT_EQ(clipboardOn(), "1");
    // The same numbers written otherwise still count.
    clipboardOn() = " 1.0 ";
    form().mnuOnOff->trigger();
    EXPECT_EQ(clipboardOn(), "0");
    for (const std::string kept : {"2", "-1", "0.5", "word", "", "1x"}) {
        clipboardOn() = kept;
        form().mnuOnOff->trigger();
        EXPECT_EQ(clipboardOn(), kept) << "'" << kept << "'";
    }
    EXPECT_EQ(readFile(tp.path("ziq2.ini")), fileBefore);
    EXPECT_TRUE(tp.messages.shown.size() <= 1) << "only the welcome, no complaint";
}

TEST_F(TrayMenu, OptionsAndAboutOpenTheirWindows) {
    form().mnuOptions->trigger();
    ASSERT_NE(tp.app->frmOptions, nullptr);
    EXPECT_TRUE(tp.app->frmOptions->isVisible());
    form().mnuAbout->trigger();
    ASSERT_NE(tp.app->frmAbout, nullptr);
    EXPECT_TRUE(tp.app->frmAbout->isVisible());
}

TEST_F(TrayMenu, CancelClosesTheMenuAndDoesNothingElse) {
    tp.clipboard.text = QStringLiteral("kept");
    const std::string onBefore = clipboardOn();
    int openings = 0;
    bool stillOpenAfterCancel = false;
    const auto connection =
        QObject::connect(form().mnuBar, &QMenu::aboutToShow, form().mnuBar, [&] {
            ++openings;
            QTimer::singleShot(0, form().mnuBar, [&] { form().mnuCancel->trigger(); });
            // A safety net, so a menu that stays open fails the test instead of hanging it.
            QTimer::singleShot(3000, form().mnuBar, [&] {
                stillOpenAfterCancel = form().mnuBar->isVisible();
                form().mnuBar->close();
            });
        });
    form().pichookMouseMove(kRightButtonUp);
    EXPECT_EQ(openings, 1);
    EXPECT_FALSE(stillOpenAfterCancel);
    EXPECT_FALSE(form().mnuBar->isVisible());
    EXPECT_FALSE(form().menuBusy);
    EXPECT_EQ(tp.clipboard.text, QStringLiteral("kept"));
    EXPECT_EQ(clipboardOn(), onBefore);
    EXPECT_FALSE(tp.app->frmToText->isVisible());
    EXPECT_EQ(tp.app->frmOptions, nullptr);
    EXPECT_EQ(tp.program->shuttingDown, 0);
    // Later pop-ups open as before.
    form().pichookMouseMove(kRightButtonUp);
    EXPECT_EQ(openings, 2);
    QObject::disconnect(connection);
}

// Records, for every window that is asked to close, whether the tray icon was still there.
class CloseWatch final : public QObject {
public:
    explicit CloseWatch(Application& app) : app_(app) {}
    void watch(QWidget* window) { window->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            closed.push_back(watched->objectName());
            iconGoneAtEveryClose = iconGoneAtEveryClose && !app_.form1->trayIcon->isVisible();
            shuttingDownAtEveryClose = shuttingDownAtEveryClose && app_.program.shuttingDown == 1;
        }
        return false;
    }
    QStringList closed;
    bool iconGoneAtEveryClose = true;
    bool shuttingDownAtEveryClose = true;

private:
    Application& app_;
};

TEST_F(TrayMenu, ExitRemovesTheIconFirstThenClosesEveryWindowInOrder) {
    form().mnuOptions->trigger();
    form().mnuAbout->trigger();
    form().menu2->trigger();
    CloseWatch watch(*tp.app);
    watch.watch(tp.app->frmAbout.get());
    watch.watch(tp.app->frmLinkCatcher.get());
    watch.watch(tp.app->frmOptions.get());
    watch.watch(tp.app->frmToText.get());
    ASSERT_TRUE(form().trayIcon->isVisible());

    // Exit ends the event loop; a loop that does not end fails the test rather than hanging.
    QTimer::singleShot(0, &form(), [this] { form().mnuExit->trigger(); });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(watch.closed, (QStringList{"frmAbout", "frmLinkCatcher", "frmOptions", "frmToText"}));
    EXPECT_TRUE(watch.iconGoneAtEveryClose);
    EXPECT_TRUE(watch.shuttingDownAtEveryClose);
    EXPECT_FALSE(form().trayIcon->isVisible());
    EXPECT_EQ(tp.instance.closes, 1) << "a later copy must no longer find this one";
    EXPECT_FALSE(tp.app->frmToText->isVisible());
    EXPECT_FALSE(tp.app->frmLinkCatcher->isVisible());
    // A second unload (a signal arriving late) changes nothing.
    form().unload();
    EXPECT_EQ(tp.instance.closes, 1);
}

} // namespace
} // namespace ziq::test
