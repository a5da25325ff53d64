#include "e2e/capture_support.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace ziq::e2e {
namespace {

class CaptureClipboard : public testing::Test {
protected:
    void SetUp() override {
        if (!haveDisplay()) {
            GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
        }
        program.writeSettings();
    }
    void TearDown() override {
        if (program.running()) {
            program.terminate();
            EXPECT_TRUE(program.waitForExit());
            EXPECT_EQ(program.exitCode(), 0);
        }
    }
    // Started with an empty clipboard, after the first tick has seen it.
    void startIdle() {
        setClipboard(QByteArray());
        program.start();
        std::this_thread::sleep_for(500ms);
        ASSERT_TRUE(program.running());
    }
    bool logged(const std::string& text, std::chrono::milliseconds timeout = 10s) {
        return waitUntil(
            [&] { return allClipboardLogs(program).find("TEXT=" + text) != std::string::npos; },
            timeout);
    }

    RealProgram program;
};

TEST_F(CaptureClipboard, TextFromAnotherProgramIsLoggedDailyAndLeftAsPlainText) {
    startIdle();
    setClipboard("copied by xclip");
    ASSERT_TRUE(logged("copied by xclip"));
    const auto logs = clipboardLogs(program);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_TRUE(std::regex_match(logs[0].filename().string(), std::regex(R"(\d{8}\.txt)")));
    EXPECT_TRUE(
        std::regex_match(readFile(logs[0]), std::regex(R"(\[\d{14}\]\nTEXT=copied by xclip\n)")));
#ifndef _WIN32
    struct stat info {};
    ASSERT_EQ(::stat(logs[0].c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif
    // We own it now, as plain text (xclip offered only UTF8_STRING).
    EXPECT_TRUE(waitUntil([] { return clipboardTargets().contains("text/plain"); }));
    EXPECT_EQ(clipboardText(), QByteArray("copied by xclip"));
}

TEST_F(CaptureClipboard, FormattedTextBecomesPlainTextOnly) {
    startIdle();
    ClipboardServer formatted({"--html", "<p><b>Bold</b> words</p>", "--text", "Bold words"});
    ASSERT_TRUE(formatted.ready());
    ASSERT_TRUE(logged("Bold words"));
    QStringList targets;
    EXPECT_TRUE(waitUntil([&] {
        targets = clipboardTargets();
        return !targets.contains("text/html") && targets.contains("UTF8_STRING");
    })) << targets.join(' ').toStdString();
    EXPECT_EQ(clipboardText(), QByteArray("Bold words"));
}

TEST_F(CaptureClipboard, TheSameTextCopiedAgainIsLoggedOnce) {
    startIdle();
    setClipboard("twice");
    ASSERT_TRUE(logged("twice"));
    ASSERT_TRUE(waitUntil([] { return clipboardTargets().contains("text/plain"); }));
    setClipboard("twice");
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(countOf(allClipboardLogs(program), "TEXT="), 1);
    // Not taken over again: xclip still serves it.
    EXPECT_FALSE(clipboardTargets().contains("text/plain"));
}

TEST_F(CaptureClipboard, APictureIsLeftAlone) {
    startIdle();
    setClipboard(tinyPng(), QStringLiteral("image/png"));
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(clipboardTargets(), QStringList({"TARGETS", "image/png"}));
    EXPECT_TRUE(clipboardLogs(program).empty());
    EXPECT_TRUE(program.running());
}

TEST_F(CaptureClipboard, ASecretIsLeftExactlyAsItIs) {
    startIdle();
    ClipboardServer secret({"--text", "http://hunter2.example", "--secret"});
    ASSERT_TRUE(secret.ready());
    std::this_thread::sleep_for(2500ms);
    EXPECT_TRUE(secret.running()) << "the clipboard was taken from the password manager";
    EXPECT_TRUE(clipboardTargets().contains("x-kde-passwordManagerHint"));
    EXPECT_TRUE(clipboardLogs(program).empty());
    for (const auto& entry : std::filesystem::directory_iterator(program.dir())) {
        EXPECT_EQ(readFile(entry.path()).find("hunter2"), std::string::npos) << entry.path();
    }
}

TEST_F(CaptureClipboard, BrokenBytesAreCapturedOnceAsValidText) {
    startIdle();
    const QByteArray nul(1, '\0');
    setClipboard("bad \xff\xfe bytes, a nul:" + nul + " end");
    ASSERT_TRUE(waitUntil([&] { return countOf(allClipboardLogs(program), "TEXT=") == 1; }));
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(countOf(allClipboardLogs(program), "TEXT="), 1) << "captured again and again";
    EXPECT_EQ(clipboardText(), "bad \xef\xbf\xbd\xef\xbf\xbd bytes, a nul:" + nul + " end");
    EXPECT_TRUE(program.running());
}

TEST_F(CaptureClipboard, TwentyMegabytesAreCapturedWholeAndPollingGoesOn) {
    startIdle();
    QByteArray big(20 * 1024 * 1024, 'z');
    for (qsizetype at = 79; at < big.size(); at += 80) {
        big[at] = '\n';
    }
    setClipboard(big);
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto logs = clipboardLogs(program);
            return logs.size() == 1 &&
                   std::filesystem::file_size(logs[0]) > std::uintmax_t(big.size());
        },
        60s));
    const auto served = clipboardText(30s);
    ASSERT_TRUE(served.has_value());
    EXPECT_EQ(served->size(), big.size());
    EXPECT_TRUE(*served == big);

    waitForTheNextSecond();
    setClipboard("small again");
    EXPECT_TRUE(logged("small again", 20s));
    EXPECT_EQ(countOf(allClipboardLogs(program), "TEXT="), 2);
}

} // namespace
} // namespace ziq::e2e
