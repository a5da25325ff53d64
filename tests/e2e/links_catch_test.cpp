#include "e2e/e2e_harness.h"

#include <QDate>
#include <QRect>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace ziq::e2e {
namespace {

namespace fs = std::filesystem;

bool contains(const fs::path& file, const std::string& text) {
    return readFile(file).find(text) != std::string::npos;
}

// The one link log file of the folder whose name matches, or an empty path.
fs::path linkLogIn(const fs::path& dir, const QRegularExpression& name) {
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (name.match(QString::fromStdString(entry.path().filename().string())).hasMatch()) {
            return entry.path();
        }
    }
    return {};
}

class LinksEndToEnd : public RealProgramTest {};

TEST_F(LinksEndToEnd, ACopiedLinkIsLoggedAndAPlainSentenceIsNot) {
    program.writeSettings({{"ZIQ/BEEPON", "0"},
                           {"ZIQ/SAVETYPE", "1"},
                           {"LINKCATCHER/STRICTURLS", "0"},
                           {"LINKCATCHER/SAVETYPE", "1"}});
    program.start();
    ASSERT_TRUE(program.running());
    const fs::path links = program.file("ziqurl.txt");
    const fs::path clips = program.file("ziq.txt");

    setClipboard("HTTPS://Example.com/Path?q=1");
    ASSERT_TRUE(waitUntil([&] { return contains(links, "=HTTPS://Example.com/Path?q=1\n"); }))
        << readFile(links);

    setClipboard("Just a plain sentence, copied for the test");
    ASSERT_TRUE(waitUntil([&] {
        return contains(clips, "TEXT=Just a plain sentence, copied for the test\n");
    })) << "the sentence was never captured: "
        << readFile(clips);
    EXPECT_FALSE(contains(links, "plain sentence"));

    // A two-line link is logged as one line, whichever its line breaks.
    setClipboard("www.example.org/first\nsecond");
    EXPECT_TRUE(waitUntil([&] { return contains(links, "=www.example.org/firstsecond\n"); }))
        << readFile(links);
}

TEST_F(LinksEndToEnd, DailySchemeWritesAPrivateFileNamedByTheDate) {
    program.writeSettings({{"ZIQ/BEEPON", "0"}, {"ZIQ/AUTOSAVE", "0"}});
    const QString before = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    program.start();
    setClipboard("mailto:someone@example.com");
    fs::path log;
    ASSERT_TRUE(waitUntil([&] {
        log = linkLogIn(program.dir(), QRegularExpression(QStringLiteral("^u\\d{8}\\.txt$")));
        return !log.empty() && contains(log, "=mailto:someone@example.com\n");
    }));
    const QString after = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    const std::string name = log.filename().string();
    EXPECT_TRUE(name == "u" + before.toStdString() + ".txt" ||
                name == "u" + after.toStdString() + ".txt")
        << name;
    // One section per hour, keys of minute and second.
    const QString content = QString::fromStdString(readFile(log));
    const auto multiline = QRegularExpression::MultilineOption;
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\[\\d\\d\\]$"), multiline).match(content).hasMatch())
        << content.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}=mailto:someone@example.com$"), multiline)
                    .match(content)
                    .hasMatch())
        << content.toStdString();
    struct stat info {};
    ASSERT_EQ(::stat(log.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
}

// A window's outer rectangle on the screen: its own area widened by the frame that the window
// manager drew around it (_NET_FRAME_EXTENTS: left, right, top, bottom), if it drew one.
// xdotool's geometry is no use here: under a window manager it counts the frame's offset twice.
std::optional<QRect> outerGeometryOf(const QString& window) {
    const QString info = QString::fromUtf8(run(QStringLiteral("xwininfo"), {"-id", window}).output);
    int value[4] = {};
    const char* const labels[] = {"Absolute upper-left X", "Absolute upper-left Y", "Width",
                                  "Height"};
    for (int i = 0; i < 4; ++i) {
        const auto match =
            QRegularExpression(QStringLiteral("%1: +(-?\\d+)").arg(QLatin1String(labels[i])))
                .match(info);
        if (!match.hasMatch()) {
            return std::nullopt;
        }
        value[i] = match.captured(1).toInt();
    }
    QRect outer(value[0], value[1], value[2], value[3]);
    const Run frame =
        run(QStringLiteral("xprop"), {"-id", window, QStringLiteral("_NET_FRAME_EXTENTS")});
    const auto extents = QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"))
                             .match(QString::fromUtf8(frame.output));
    if (extents.hasMatch()) {
        outer.adjust(-extents.captured(1).toInt(), -extents.captured(3).toInt(),
                     extents.captured(2).toInt(), extents.captured(4).toInt());
    }
    return outer;
}

bool framed(const QString& window) {
    return run(QStringLiteral("xprop"), {"-id", window, QStringLiteral("_NET_FRAME_EXTENTS")})
        .output.contains(" = ");
}

TEST_F(LinksEndToEnd, AutoOpenViewersShowsTheCatcherRightBelowTheTextWindow) {
    program.writeSettings({{"ZIQ/ON", "0"}, {"ZIQ/AUTOOOPENVIEWERS", "1"}});
    program.start();
    const auto catcher = waitForWindow(QStringLiteral("^Link Catcher$"));
    const auto text = waitForWindow(QStringLiteral("^Recent Clipboard Text$"));
    ASSERT_TRUE(catcher && text);
    // Under a window manager, judge the places once both windows have their frames.
    const bool windowManager =
        run(QStringLiteral("xprop"), {QStringLiteral("-root"), "_NET_SUPPORTING_WM_CHECK"})
            .output.contains("window id");
    if (windowManager) {
        ASSERT_TRUE(waitUntil([&] { return framed(*catcher) && framed(*text); }));
    }
    std::optional<QRect> below;
    std::optional<QRect> above;
    const auto rightBelow = [&] {
        below = outerGeometryOf(*catcher);
        above = outerGeometryOf(*text);
        return below && above && below->top() == above->top() + above->height();
    };
    // The move may land a moment after the window first appears; then it stays.
    EXPECT_TRUE(waitUntil(rightBelow));
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(rightBelow()) << (below ? below->top() : -1) << " vs "
                              << (above ? above->top() : -1) << "+"
                              << (above ? above->height() : -1);
}

} // namespace
} // namespace ziq::e2e
