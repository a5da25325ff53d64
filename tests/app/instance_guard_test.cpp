#include "app/form1.h"
#include "capture/to_text_window.h"
#include "support/test_program.h"

#include <QSystemTrayIcon>
#include <QWidget>
#include <filesystem>
#include <gtest/gtest.h>

namespace ziq::test {
namespace {

constexpr const char* kUnwanted =
    "This instance of ZIQ will terminate because another running instance was detected.";

TEST(InstanceGuard, AloneTheGuardIsNotAskedAndTheTitleStays) {
    TestProgram tp;
    ASSERT_TRUE(tp.app->start());
    EXPECT_TRUE(tp.instance.searchedTitles.empty());
    EXPECT_EQ(tp.program->appTitle, "ZIQ2");
    ASSERT_FALSE(tp.messages.shown.empty());
    EXPECT_EQ(tp.messages.shown.front().caption, "ZIQ2");
}

TEST(InstanceGuard, ASecondCopyEndsBeforeTouchingTrayOrSettings) {
    TestProgram tp;
    tp.instance.otherRunning = true;
    EXPECT_FALSE(tp.app->start());
    EXPECT_EQ(tp.instance.searchedTitles, std::vector<std::string>{"ZIQ2"});
    ASSERT_EQ(tp.messages.shown.size(), 1U);
    EXPECT_EQ(tp.messages.shown[0].text, kUnwanted);
    EXPECT_EQ(tp.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(tp.messages.shown[0].caption, "unwanted instance");
    EXPECT_EQ(tp.app->form1->trayIcon, nullptr);
    EXPECT_FALSE(std::filesystem::exists(tp.path("ziq2.ini")));
    EXPECT_TRUE(tp.program->settings.clipboardOn.empty());
    EXPECT_EQ(tp.app->frmToText, nullptr);
    EXPECT_EQ(tp.app->frmLinkCatcher, nullptr);
}

TEST(InstanceGuard, ACopyThatCannotBeFoundLetsThisOneRunUnderTheNewTitle) {
    TestProgram tp;
    tp.instance.otherRunning = true;
    tp.instance.otherTitle.clear(); // ending, or carrying another title
    ASSERT_TRUE(tp.app->start());
    EXPECT_EQ(tp.program->appTitle, "unwanted instance");
    ASSERT_EQ(tp.messages.shown.size(), 1U) << "the welcome only";
    EXPECT_NE(tp.messages.shown[0].text, kUnwanted);
    EXPECT_EQ(tp.messages.shown[0].caption, "unwanted instance");
    ASSERT_NE(tp.app->form1->trayIcon, nullptr);
    EXPECT_TRUE(tp.app->form1->trayIcon->isVisible());
    EXPECT_NE(tp.app->frmToText, nullptr);
    // A later copy searching by the title this one started with does not find it.
    ASSERT_TRUE(tp.instance.handler);
    EXPECT_FALSE(tp.instance.handler("ZIQ2"));
    EXPECT_TRUE(tp.instance.handler("unwanted instance"));
}

TEST(InstanceGuard, ARunningCopyAnswersToItsTitleAndComesForward) {
    TestProgram tp;
    ASSERT_TRUE(tp.app->start());
    ASSERT_TRUE(tp.instance.handler);
    QWidget& text = *tp.app->frmToText;
    text.show();
    text.showMinimized();
    ASSERT_TRUE(text.isMinimized());
    EXPECT_FALSE(tp.instance.handler("something else"));
    EXPECT_TRUE(text.isMinimized());
    EXPECT_TRUE(tp.instance.handler("ZIQ2"));
    EXPECT_FALSE(text.isMinimized());
    EXPECT_TRUE(text.isVisible());
    // With every window hidden there is nothing to bring forward, but it is still found.
    text.hide();
    EXPECT_TRUE(tp.instance.handler("ZIQ2"));
    EXPECT_FALSE(text.isVisible());
    // Once the program is gone a late request finds nobody to answer it.
    tp.app.reset();
    EXPECT_FALSE(tp.instance.handler);
}

} // namespace
} // namespace ziq::test
