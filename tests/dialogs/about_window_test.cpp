#include "dialogs/about_window.h"
#include "dialogs/sys_info.h"
#include "support/test_program.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace ziq::test {
namespace {

// The window's controls are its own; tests find them by their names.
template <typename Control> Control* control(QWidget& window, const char* name) {
    return window.findChild<Control*>(QString::fromLatin1(name));
}

class AboutWindowTest : public testing::Test {
protected:
    AboutWindow& open() {
        AboutWindow& window = tp.app->about();
        window.show();
        return window;
    }
    // The window is gone once the program's reference is dropped and it has been deleted.
    void expectClosed(const QPointer<AboutWindow>& window) {
        EXPECT_EQ(tp.app->frmAbout, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&window] { return window.isNull(); }));
    }

    TestProgram tp;
};

TEST_F(AboutWindowTest, LoadFillsTheLabelsFromTheProgramsIdentity) {
    AboutWindow& window = open();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("About ZIQ2"));
    EXPECT_EQ(control<QLabel>(window, "lblVersion")->text(), QStringLiteral("Version 2.0.0"));
    EXPECT_EQ(control<QLabel>(window, "lblDescription")->text(),
              QStringLiteral("ZIQ2 Zimbrel Windows Clipboard Utility"));
    EXPECT_EQ(control<QLabel>(window, "lblDisclaimer")->text(), QString());
    EXPECT_EQ(control<QLabel>(window, "lblTitle")->text(),
              QStringLiteral("Zimbrel 2.0 by the ZIQ2 developers"));
    EXPECT_EQ(control<QLineEdit>(window, "Text1")->text(),
              QStringLiteral("https://ziq2.example.org/"));
    EXPECT_EQ(control<QPushButton>(window, "cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_EQ(control<QPushButton>(window, "cmdSysInfo")->text(),
              QStringLiteral("&System Info..."));
    EXPECT_TRUE(control<QPushButton>(window, "cmdOK")->isDefault());
    EXPECT_EQ(control<QLineEdit>(window, "Text1")->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(window.findChildren<QFrame*>(QStringLiteral("Line1")).size(), 2);
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_FALSE(window.isModal());
}

TEST_F(AboutWindowTest, LoadFollowsTheTitleAndVersionOfTheRun) {
    tp.program->appTitle = "unwanted instance";
    tp.program->app.versionMajor = 3;
    tp.program->app.versionMinor = 1;
    tp.program->app.versionRevision = 12;
    AboutWindow& window = open();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("About unwanted instance"));
    EXPECT_EQ(control<QLabel>(window, "lblVersion")->text(), QStringLiteral("Version 3.1.12"));
}

TEST_F(AboutWindowTest, EnterEscOkAndTheCloseBoxEachCloseTheWindow) {
    const auto enter = [](AboutWindow& w) {
        QTest::keyClick(control<QPushButton>(w, "cmdOK"), Qt::Key_Return);
    };
    const auto escape = [](AboutWindow& w) {
        QTest::keyClick(control<QPushButton>(w, "cmdOK"), Qt::Key_Escape);
    };
    const auto escapeOnOtherButton = [](AboutWindow& w) {
        QTest::keyClick(control<QPushButton>(w, "cmdSysInfo"), Qt::Key_Escape);
    };
    const auto ok = [](AboutWindow& w) {
        QTest::mouseClick(control<QPushButton>(w, "cmdOK"), Qt::LeftButton);
    };
    const auto closeBox = [](AboutWindow& w) { w.close(); };
    for (const auto& closeIt : {+enter, +escape, +escapeOnOtherButton, +ok, +closeBox}) {
        QPointer<AboutWindow> window = &open();
        closeIt(*window);
        expectClosed(window);
    }
    EXPECT_TRUE(tp.messages.shown.empty());
    EXPECT_TRUE(tp.desktop.started.empty());
}

TEST_F(AboutWindowTest, EachOpeningBuildsTheWindowAfresh) {
    QPointer<AboutWindow> first = &open();
    EXPECT_EQ(&tp.app->about(), first.data()); // opening again shows the same window
    control<QLabel>(*first, "lblDisclaimer")->setText(QStringLiteral("changed"));
    QTest::keyClick(control<QPushButton>(*first, "cmdOK"), Qt::Key_Return);
    expectClosed(first);
    AboutWindow& second = open();
    EXPECT_EQ(control<QLabel>(second, "lblDisclaimer")->text(), QString());
}

TEST_F(AboutWindowTest, SysInfoWithoutToolShowsTheUnavailableMessage) {
#ifndef _WIN32
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", ""); // no system monitor of this machine may be started
#else
    tp.desktop.startSucceeds = false; // System32's msinfo32.exe, the last resort, fails
#endif
    AboutWindow& window = open();
    QTest::mouseClick(control<QPushButton>(window, "cmdSysInfo"), Qt::LeftButton);
#ifndef _WIN32
    qputenv("PATH", path);
#endif
    ASSERT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(tp.messages.shown[0].text, "System Information Is Unavailable At This Time");
    EXPECT_EQ(tp.messages.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(tp.messages.shown[0].caption, "ZIQ2");
#ifndef _WIN32
    EXPECT_TRUE(tp.desktop.started.empty());
#else
    ASSERT_EQ(tp.desktop.started.size(), 1u);
    EXPECT_TRUE(tp.desktop.started[0][0].endsWith(QStringLiteral("msinfo32.exe")))
        << qPrintable(tp.desktop.started[0][0]);
#endif
    EXPECT_NE(tp.app->frmAbout, nullptr); // the window stays open
}

TEST_F(AboutWindowTest, SysInfoStartsTheToolTheRegistryNames) {
    tp.registry.setText("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                        "C:\\Tools\\msinfo32.exe");
    AboutWindow& window = open();
    QTest::mouseClick(control<QPushButton>(window, "cmdSysInfo"), Qt::LeftButton);
    ASSERT_EQ(tp.desktop.started.size(), 1u);
    EXPECT_EQ(tp.desktop.started[0], QStringList{QStringLiteral("C:\\Tools\\msinfo32.exe")});
    EXPECT_TRUE(tp.messages.shown.empty());

    tp.desktop.startSucceeds = false;
    QTest::mouseClick(control<QPushButton>(window, "cmdSysInfo"), Qt::LeftButton);
    ASSERT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(tp.messages.shown[0].text, std::string(kSysInfoUnavailable));
}

TEST_F(AboutWindowTest, ClickOnTheLinkOpensTheWebPage) {
    AboutWindow& window = open();
    QTest::mouseClick(control<QLineEdit>(window, "Text1"), Qt::LeftButton);
    EXPECT_EQ(tp.desktop.opened, QStringList{control<QLineEdit>(window, "Text1")->text()});
    QTest::mouseClick(control<QLineEdit>(window, "Text1"), Qt::RightButton);
    EXPECT_EQ(tp.desktop.opened.size(), 1);
    EXPECT_NE(tp.app->frmAbout, nullptr);
}

// The real desktop reports a program it cannot start, so the window can say so.
TEST(SysInfoOnThisSystemTest, ToolThatCannotBeStartedCountsAsUnavailable) {
    QTemporaryDir folder;
    QtDesktop desktop;
    FakeRegistry registry;
    registry.setText("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                     folder.filePath(QStringLiteral("missing-tool")).toStdString());
    EXPECT_FALSE(startSysInfoTool(registry, "", [&desktop](const std::string& path) {
        return desktop.startProgram(QString::fromLocal8Bit(path), {});
    }));
}

} // namespace
} // namespace ziq::test
