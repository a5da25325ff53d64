#include "e2e/e2e_harness.h"

#include <gtest/gtest.h>

namespace ziq::e2e {
namespace {

TEST(Options, FrequencyChosenFromTheTrayIsSavedAndTheProgramRunsOn) {
    if (!haveDisplay()) {
        GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
    }
    RealProgram program;
    program.writeSettings();
    const std::string before = readFile(program.file("ziq2.ini"));
    program.start();

    // At first the tray icon is the program's only visible window.
    QString icon;
    ASSERT_TRUE(waitUntil([&] {
        const QStringList windows = visibleWindowsOf(program.pid());
        icon = windows.isEmpty() ? QString() : windows.first();
        return windows.size() == 1;
    })) << "no tray icon";

    // Right click, then "Options", the fifth item of the tray menu.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), icon, QStringLiteral("5"),
             QStringLiteral("5"), QStringLiteral("click"), QStringLiteral("3")});
    ASSERT_TRUE(waitUntil([&] { return visibleWindowsOf(program.pid()).size() > 1; }))
        << "the tray menu did not open";
    xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down"),
             QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down"),
             QStringLiteral("Return")});
    const auto options = waitForWindow(QStringLiteral("^ZIQ Options$"));
    ASSERT_TRUE(options.has_value()) << "the options window did not open";

    const int height = windowHeight(*options);
    ASSERT_GT(height, 0);
    const double scale = height / 8115.0;
    // "3 Medium": Option1 never moves, those to its right move on with a wide font.
    clickTwips(*options, scale, 0 + 120, 720 + 360, 1215, 495); // Option1 in Frame1
    xdotool({QStringLiteral("key"), QStringLiteral("Right"), QStringLiteral("Right")});
    clickTwips(*options, scale, 4800, 7440, 1335, 495); // Command2 "&Save Changes"

    ASSERT_TRUE(waitUntil([] { return findWindows(QStringLiteral("^ZIQ Options$")).isEmpty(); }))
        << "the options window did not close";
    std::string expected = before;
    const std::string oldLine = "\nFREQUENCY=1\n";
    expected.replace(expected.find(oldLine), oldLine.size(), "\nFREQUENCY=3\n");
    EXPECT_EQ(readFile(program.file("ziq2.ini")), expected);
    EXPECT_FALSE(program.waitForExit(1500ms)) << "the program ended after saving";
    // No message box: the tray icon is all that is left on screen.
    EXPECT_TRUE(waitUntil([&] { return visibleWindowsOf(program.pid()).size() == 1; }));

    program.terminate();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
}

} // namespace
} // namespace ziq::e2e
