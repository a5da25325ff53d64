#include "app/application.h"
#include "app/form1.h"
#include "capture/clipboard_poller.h"
#include "capture/to_text_window.h"
#include "links/link_catcher_window.h"
#include "support/test_program.h"

#include <QAction>
#include <QTimer>
#include <gtest/gtest.h>

namespace ziq::test {
namespace {

// The windows know nothing of each other; what they announce reaches its receivers through
// the application, inside the announcement.
class Wiring : public testing::Test {
protected:
    void SetUp() override {
        Settings& s = tp.program->settings;
        s.clipboardOn = "1";
        s.linkCatcherOn = "1";
        s.strictUrls = "1";
        s.autoSave = "0";
        s.linkAutoSave = "0";
        s.frequency = "2";
        tp.app->loadViewers();
        text().Timer1->stop();
    }
    ToTextWindow& text() { return *tp.app->frmToText; }
    void tick(const QString& clipboard) {
        tp.clipboard.text = clipboard;
        text().tick();
    }
    TestProgram tp;
};

TEST_F(Wiring, ATickSetsTheTrayCaptionAndHandsLinksToTheCatcher) {
    tick(QStringLiteral("http://first.example"));
    EXPECT_EQ(tp.app->form1->mnuOnOff->text(), QStringLiteral("Turn Off ZIQ"));
    EXPECT_EQ(tp.app->frmLinkCatcher->text(), QStringLiteral("http://first.example"));

    // The catcher has the link before the tick goes on to set the timer.
    QString catcherAtLinkTime;
    int intervalAtLinkTime = 0;
    text().Timer1->setInterval(50);
    QObject::connect(&text().poller(), &ClipboardPoller::linkCaught, &text(), [&] {
        catcherAtLinkTime = tp.app->frmLinkCatcher->text();
        intervalAtLinkTime = text().Timer1->interval();
    });
    tick(QStringLiteral("not a link"));
    EXPECT_EQ(intervalAtLinkTime, 0);
    text().Timer1->setInterval(50);
    tick(QStringLiteral("http://second.example"));
    EXPECT_EQ(catcherAtLinkTime, QStringLiteral("http://first.example\r\nhttp://second.example"));
    EXPECT_EQ(intervalAtLinkTime, 50);
    EXPECT_EQ(text().Timer1->interval(), 2000);

    tp.program->settings.clipboardOn = "0";
    tick(QStringLiteral("http://third.example"));
    EXPECT_EQ(tp.app->form1->mnuOnOff->text(), QStringLiteral("Turn On ZIQ"));
    EXPECT_EQ(tp.app->frmLinkCatcher->text(),
              QStringLiteral("http://first.example\r\nhttp://second.example"));
}

TEST_F(Wiring, HitAndRunShutsTheProgramDownAfterItsOneTick) {
    tp.program->settings.hitAndRun = 1;
    tick(QStringLiteral("http://once.example"));
    EXPECT_EQ(tp.app->frmLinkCatcher->text(), QStringLiteral("http://once.example"));
    EXPECT_EQ(tp.program->shuttingDown, 1);
    EXPECT_EQ(tp.instance.closes, 1) << "a later copy must no longer find this one";
}

} // namespace
} // namespace ziq::test
