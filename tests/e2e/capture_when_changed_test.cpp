// The poller reads the clipboard only when it reports a change or Text1 was edited since the
// last look. What the user sees must be what a tick that reads every time would give.

#include "e2e/capture_support.h"

#include <gtest/gtest.h>

namespace ziq::e2e {
namespace {

// The values of the clipboard log's entries, in file order.
std::vector<std::string> loggedTexts(const RealProgram& program) {
    std::vector<std::string> texts;
    std::istringstream lines(readFile(program.file("ziq.txt")));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("TEXT=", 0) == 0) {
            texts.push_back(line.substr(5));
        }
    }
    return texts;
}

class CaptureWhenChanged : public RealProgramTest {};

TEST_F(CaptureWhenChanged, TypingInTheTextWindowIsUndoneByTheClipboardAtTheNextTick) {
    // Ticks 5 s apart, so the typed entry is seen before the next tick undoes it.
    program.writeSettings(
        {{"ZIQ/AUTOOOPENVIEWERS", "1"}, {"ZIQ/SAVETYPE", "1"}, {"ZIQ/FREQUENCY", "5"}});
    setClipboard(QByteArray());
    program.start();
    const auto window = waitForWindow(QStringLiteral("^Recent Clipboard Text$"));
    ASSERT_TRUE(window.has_value());
    setClipboard("from xclip");
    ASSERT_TRUE(waitUntil([&] { return !loggedTexts(program).empty(); }, 15s));

    // Nothing on the clipboard changes from here on; only Text1 does, a second later (each
    // second has its own entry) and seconds before the next tick.
    std::this_thread::sleep_for(1200ms);
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--window"), *window, QStringLiteral("30"),
         QStringLiteral("10"), QStringLiteral("click"), QStringLiteral("1")});
    run(QStringLiteral("xdotool"),
        {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100"),
         QStringLiteral("End"), QStringLiteral("x")});
    ASSERT_TRUE(waitUntil([&] { return loggedTexts(program).size() >= 2; }, 3s));
    EXPECT_EQ(loggedTexts(program)[1], "from xclipx");
    ASSERT_TRUE(waitUntil([&] { return loggedTexts(program).size() >= 3; }, 10s));
    EXPECT_EQ(loggedTexts(program),
              (std::vector<std::string>{"from xclip", "from xclipx", "from xclip"}));
    EXPECT_EQ(clipboardText(), QByteArray("from xclip"));
}

TEST_F(CaptureWhenChanged, AfterLongIdleStretchesEveryNewCopyIsCaptured) {
    program.writeSettings({{"ZIQ/SAVETYPE", "1"}});
    setClipboard(QByteArray());
    program.start();
    for (const char* text : {"first", "first", "second", "third"}) {
        std::this_thread::sleep_for(2500ms); // idle ticks in between
        setClipboard(text);
    }
    ASSERT_TRUE(waitUntil([&] { return loggedTexts(program).size() >= 3; }, 10s));
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(loggedTexts(program), (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(clipboardText(), QByteArray("third"));
}

} // namespace
} // namespace ziq::e2e
