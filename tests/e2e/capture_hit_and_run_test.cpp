#include "e2e/capture_support.h"

#include <gtest/gtest.h>

#ifndef ZIQ2_STAMPED_PASTE
#error "ZIQ2_STAMPED_PASTE must name the test's stamped paste"
#endif

namespace ziq::e2e {
namespace {

// Asks for the clipboard with the time it took in when it started (tests/e2e/helpers).
class StampedPaste : public HelperProcess {
public:
    StampedPaste() : HelperProcess(QStringLiteral(ZIQ2_STAMPED_PASTE), {}) {}
    QByteArray paste() {
        process_.write("go\n");
        process_.waitForFinished(15000);
        return process_.readAllStandardOutput();
    }
};

class CaptureHitAndRun : public testing::Test {
protected:
    void SetUp() override {
        if (!haveDisplay()) {
            GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
        }
    }
    void TearDown() override {
        // Taking the clipboard ends any keeper we left serving it.
        setClipboard("taken back");
    }
    RealProgram program;
};

TEST_F(CaptureHitAndRun, CapturesLogsEndsAndTheTextOutlivesTheProgram) {
    program.writeSettings({{"ZIQ/HITNRUN", "1"}});
    setClipboard("hit and run");
    program.start();
    ASSERT_TRUE(program.waitForExit(15s));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(countOf(allClipboardLogs(program), "TEXT=hit and run\n"), 1);

    // Served by our keeper now, as plain text, not by xclip.
    EXPECT_EQ(clipboardText(), QByteArray("hit and run"));
    EXPECT_TRUE(clipboardTargets().contains("text/plain"));
    EXPECT_TRUE(keeperRunning(program));
    // The keeper leaves as soon as another program takes the clipboard.
    setClipboard("someone else's");
    EXPECT_TRUE(waitUntil([&] { return !keeperRunning(program); }));
    EXPECT_EQ(clipboardText(), QByteArray("someone else's"));
}

TEST_F(CaptureHitAndRun, WithNothingToCaptureItJustEnds) {
    program.writeSettings({{"ZIQ/HITNRUN", "1"}});
    setClipboard(tinyPng(), QStringLiteral("image/png"));
    program.start();
    ASSERT_TRUE(program.waitForExit(15s));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(clipboardLogs(program).empty());
    EXPECT_EQ(clipboardTargets(), QStringList({"TARGETS", "image/png"}));
    EXPECT_FALSE(keeperRunning(program));
}

TEST_F(CaptureHitAndRun, Argument99KeepsItRunningAndExitKeepsTheText) {
    program.writeSettings({{"ZIQ/HITNRUN", "1"}});
    // Served byte for byte by the program, then by the keeper: two to four bytes a character.
    const QByteArray text("still here: gr\xC3\xBC\xC3\x9F\x65 \xE2\x9C\x93 \xF0\x9F\x98\x80");
    setClipboard(text);
    program.start({"99"});
    ASSERT_TRUE(
        waitUntil([&] { return countOf(allClipboardLogs(program), "TEXT=still here") == 1; }));
    EXPECT_FALSE(program.waitForExit(2500ms));
    EXPECT_NE(readFile(program.dir() / "ziq2.ini").find("HITNRUN=1"), std::string::npos);
    EXPECT_TRUE(waitUntil([] { return clipboardTargets().contains("text/plain"); }));
    EXPECT_EQ(clipboardText(), text);

    // As a compositor asks that carries X11's clipboard to Wayland, stamped with the time of
    // the program's claim: the keeper answers it too.
    StampedPaste stamped;
    ASSERT_TRUE(stamped.ready());
    program.terminate();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(stamped.paste(), text);
    EXPECT_EQ(clipboardText(), text);
    EXPECT_TRUE(keeperRunning(program));
}

} // namespace
} // namespace ziq::e2e
