#include "e2e/capture_support.h"
#include "e2e/e2e_harness.h"

#include <QProcess>
#include <gtest/gtest.h>

#ifndef ZIQ2_HISTORY_BINARY
#error "ZIQ2_HISTORY_BINARY must name ziq2-history"
#endif

namespace ziq::e2e {
namespace {

namespace fs = std::filesystem;

class HistoryWindowEndToEnd : public RealProgramTest {
protected:
    // Copies the text and waits until ZIQ2 has logged it.
    bool captured(const QByteArray& text) {
        setClipboard(text);
        return waitUntil([&] {
            return allClipboardLogs(program).find(text.toStdString()) != std::string::npos;
        });
    }
};

// ZIQ2 logs a multi-line non-ASCII capture and a link; the history window, started beside it,
// finds the capture by a word typed with real keys, and Enter leaves its exact text on the
// clipboard after the window has gone.
TEST_F(HistoryWindowEndToEnd, TypedWordAndEnterPutTheLoggedTextOnTheClipboard) {
    program.writeSettings({{"ZIQ/BEEPON", "0"}, {"LINKCATCHER/SAVETYPE", "2"}});
    program.start();
    ASSERT_TRUE(program.running());
    const QByteArray capture = QStringLiteral("Grüße aus Köln\nzweite Zeile").toUtf8();
    ASSERT_TRUE(captured(capture)) << program.whatItSaw();
    waitForTheNextSecond();
    ASSERT_TRUE(captured("https://example.org/gr%C3%BC%C3%9Fe")) << program.whatItSaw();
    program.terminate();
    ASSERT_TRUE(program.waitForExit());

    fs::copy_file(ZIQ2_HISTORY_BINARY, program.file("ziq2-history"));
    QProcess history;
    history.start(QString::fromStdString(program.file("ziq2-history").string()), {});
    ASSERT_TRUE(history.waitForStarted());
    const std::optional<QString> window = waitForWindow(QStringLiteral("^ZIQ2 History$"));
    ASSERT_TRUE(window.has_value()) << history.readAllStandardError().toStdString();
    // A second start brings the first window forward and ends.
    EXPECT_EQ(run(QString::fromStdString(program.file("ziq2-history").string()), {}).exitCode, 0);
    EXPECT_EQ(findWindows(QStringLiteral("^ZIQ2 History$")).size(), 1);

    focusWindow(*window);
    // Return right after the typing: the window copies the first entry the typed words find.
    // WORKAROUND: xdotool drops now and then the first character it has to map to a spare key
    // (Ö, ü), so the typed words are ASCII; the copied text is not.
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"),
             QStringLiteral("ZWEITE aus")});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    EXPECT_TRUE(history.waitForFinished(10000)) << history.readAllStandardError().toStdString();
    EXPECT_EQ(clipboardText().value_or("(nothing)"), capture);
}

// ZIQ2 goes on logging into the same ziq.txt while the history window deletes an entry from
// it: only that entry goes. The old entries make the rewrite long enough for ZIQ2's next
// capture to come while it runs, now and then; both sides lock the file around a change.
TEST_F(HistoryWindowEndToEnd, DeleteWhileZiq2LogsLosesNothing) {
    program.writeSettings({{"ZIQ/BEEPON", "0"}, {"ZIQ/SAVETYPE", "1"}, {"ZIQ/FREQUENCY", "1"}});
    constexpr int kOld = 200000;
    std::string old;
    for (int i = 0; i < kOld; ++i) {
        old += "[" + std::to_string(20200101000000LL + i) + "]\r\nTEXT=old entry " +
               std::to_string(i) + " of a long history\r\n";
    }
    writeFile(program.file("ziq.txt"), old);
    program.start();
    ASSERT_TRUE(program.running());
    const std::vector<QByteArray> kept = {"kept before", "kept after 1", "kept after 2"};
    ASSERT_TRUE(captured("doomed password")) << program.whatItSaw();
    waitForTheNextSecond();
    ASSERT_TRUE(captured(kept[0])) << program.whatItSaw();

    fs::copy_file(ZIQ2_HISTORY_BINARY, program.file("ziq2-history"));
    QProcess history;
    history.start(QString::fromStdString(program.file("ziq2-history").string()), {});
    const std::optional<QString> window = waitForWindow(QStringLiteral("^ZIQ2 History$"));
    ASSERT_TRUE(window.has_value()) << history.readAllStandardError().toStdString();
    focusWindow(*window);
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"),
             QStringLiteral("doomed")});
    // Delete asks only once the search has found the entry: ask again until it does.
    const auto asked = [] { return findWindows(QStringLiteral("^ZIQ2 History$")).size() == 2; };
    for (int i = 0; i < 10 && !asked(); ++i) {
        xdotool({QStringLiteral("key"), QStringLiteral("Delete")});
        waitUntil(asked, 1s);
    }
    ASSERT_TRUE(asked());
    xdotool({QStringLiteral("key"), QStringLiteral("y")});
    for (std::size_t i = 1; i < kept.size(); ++i) {
        ASSERT_TRUE(captured(kept[i])) << program.whatItSaw();
        waitForTheNextSecond();
    }
    ASSERT_TRUE(waitUntil([&] {
        return allClipboardLogs(program).find("doomed") == std::string::npos;
    })) << "the entry was not deleted";
    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(history.waitForFinished(10000));
    program.terminate();
    ASSERT_TRUE(program.waitForExit());

    const std::string log = readFile(program.file("ziq.txt"));
    EXPECT_EQ(log.substr(0, old.size()), old);
    for (const QByteArray& text : kept) {
        EXPECT_EQ(countOf(log, text.toStdString()), 1) << text.toStdString();
    }
    EXPECT_EQ(countOf(log, "[20"), kOld + 3) << log.substr(old.size());
}

} // namespace
} // namespace ziq::e2e
