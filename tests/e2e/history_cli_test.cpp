#include "e2e/e2e_harness.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace ziq::e2e {
namespace {

namespace fs = std::filesystem;

class HistoryEndToEnd : public RealProgramTest {
protected:
    // ziq2-history from beside ZIQ2, run from the program folder, so it reads the same ziq2.ini.
    e2e::Run history(const QStringList& arguments) {
        const fs::path binary = fs::path(ZIQ2_BINARY).parent_path() / "ziq2-history";
        const fs::path copy = program.file("ziq2-history");
        if (!fs::exists(copy)) {
            fs::copy_file(binary, copy);
        }
        return run(QString::fromStdString(copy.string()), arguments);
    }
};

// What ZIQ2 itself logged, found, printed and put back on the clipboard by ziq2-history.
TEST_F(HistoryEndToEnd, FindsPrintsAndCopiesWhatZiq2Logged) {
    program.writeSettings({{"ZIQ/BEEPON", "0"},
                           {"ZIQ/SAVETYPE", "3"},
                           {"LINKCATCHER/STRICTURLS", "0"},
                           {"LINKCATCHER/SAVETYPE", "1"}});
    program.start();
    ASSERT_TRUE(program.running());
    const QByteArray multiLine = "Grüße aus Köln\nzweite Zeile \xC3\x89T\xC3\x89";
    setClipboard(multiLine);
    ASSERT_TRUE(waitUntil([&] {
        return history({"--list", "--clips", "zeile"}).exitCode == 0;
    })) << program.whatItSaw();
    setClipboard("https://example.com/history?q=1");
    ASSERT_TRUE(waitUntil([&] {
        return history({"--list", "--links"}).exitCode == 0;
    })) << program.whatItSaw();
    program.terminate();
    ASSERT_TRUE(program.waitForExit());

    // Case folded beyond ASCII: "été" finds "ÉTÉ"; newest first, link and capture alike.
    const e2e::Run found = history({"--list", "été", "KÖLN"});
    ASSERT_EQ(found.exitCode, 0);
    const QString line = QString::fromUtf8(found.output).trimmed();
    const auto match =
        QRegularExpression(QStringLiteral("^(c-\\d{8}-\\d+-[0-9a-f]{12})\\t\\d{4}-\\d\\d-\\d\\d "
                                          "\\d\\d:\\d\\d:\\d\\d\\tcapture\\t(.*)$"))
            .match(line);
    ASSERT_TRUE(match.hasMatch()) << line.toStdString();
    EXPECT_EQ(match.captured(2), QString::fromUtf8("Grüße aus Köln⏎zweite Zeile ÉTÉ"));
    const QString id = match.captured(1);
    const QString all = QString::fromUtf8(history({"--list", "--limit", "1"}).output);
    EXPECT_TRUE(all.contains(QStringLiteral("\tlink\thttps://example.com/history?q=1")))
        << all.toStdString();
    EXPECT_EQ(history({"--list", "nowhere-to-be-found"}).exitCode, 1);

    const e2e::Run printed = history({"--print", id});
    EXPECT_EQ(printed.exitCode, 0);
    EXPECT_EQ(printed.output, multiLine);

    // The text stays on the clipboard after ziq2-history has ended (the keeper serves it).
    setClipboard("something else");
    EXPECT_EQ(history({"--copy", id}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return clipboardText() == multiLine; }))
        << clipboardText()->toStdString();
}

} // namespace
} // namespace ziq::e2e
