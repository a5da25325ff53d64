#include "e2e/tray_e2e.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ziq::e2e {
namespace {

const QString kAboutTitle = QStringLiteral("^About ZIQ2$");

// "About" is the sixth of the tray menu's eight items of equal height.
QPoint aboutItemOf(const QRect& menu) {
    return {menu.x() + menu.width() / 2, menu.y() + menu.height() * 11 / 16};
}

class AboutWindow : public RealProgramTest {
protected:
    void SetUp() override {
        RealProgramTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        ASSERT_TRUE(tools.isValid());
        program.writeSettings({{"ZIQ/ON", "0"}});
        // The program looks for a system monitor on PATH: give it only what the test put there.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", tools.path().toUtf8());
        program.start();
        qputenv("PATH", path);
        const auto found = waitForTrayIcon(program.pid());
        ASSERT_TRUE(found.has_value()) << "no tray icon";
        icon = *found;
    }

    std::optional<QString> openAbout() {
        clickWindow(icon, 3);
        const auto menu = waitForTrayMenu(program.pid());
        if (!menu) {
            return std::nullopt;
        }
        clickAt(aboutItemOf(geometryOf(*menu)));
        return waitForWindow(kAboutTitle);
    }
    bool aboutGone() {
        return waitUntil([] { return findWindows(kAboutTitle).isEmpty(); });
    }
    // A message box is captioned with the application title.
    std::optional<QString> messageBox() {
        for (const QString& window : visibleWindowsOf(program.pid())) {
            const e2e::Run name =
                run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window});
            if (!isTrayIcon(window) && name.output.trimmed() == "ZIQ2") {
                return window;
            }
        }
        return std::nullopt;
    }

    QTemporaryDir tools;
    QString icon;
};

TEST_F(AboutWindow, EnterAndEscCloseItAndItOpensAgain) {
    for (const QString& key : {QStringLiteral("Return"), QStringLiteral("Escape")}) {
        const auto about = openAbout();
        ASSERT_TRUE(about.has_value()) << "the about window did not open";
        pressKey(*about, key);
        EXPECT_TRUE(aboutGone()) << key.toStdString() << " did not close it";
    }
    EXPECT_TRUE(program.running());
}

TEST_F(AboutWindow, SystemInfoWithoutAToolSaysItIsUnavailable) {
    const auto about = openAbout();
    ASSERT_TRUE(about.has_value()) << "the about window did not open";
    pressKey(*about, QStringLiteral("alt+s"));
    std::optional<QString> box;
    ASSERT_TRUE(waitUntil([&] { return (box = messageBox()).has_value(); })) << "no message box";
    pressKey(*box, QStringLiteral("Return"));
    EXPECT_TRUE(waitUntil([&] { return !messageBox().has_value(); }));
    EXPECT_FALSE(findWindows(kAboutTitle).isEmpty()) << "the about window stays open";
}

TEST_F(AboutWindow, SystemInfoStartsTheSystemMonitorOnThePath) {
    const QString marker = tools.filePath(QStringLiteral("started"));
    QFile script(tools.filePath(QStringLiteral("gnome-system-monitor")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n: > '" + marker.toUtf8() + "'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const auto about = openAbout();
    ASSERT_TRUE(about.has_value()) << "the about window did not open";
    pressKey(*about, QStringLiteral("alt+s"));
    EXPECT_TRUE(waitUntil([&] { return QFile::exists(marker); })) << "the tool did not start";
    EXPECT_FALSE(messageBox().has_value());
}

} // namespace
} // namespace ziq::e2e
