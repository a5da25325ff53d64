#include "e2e/e2e_harness.h"

#include <QDate>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

    // A two-line link is logged as one line.
    setClipboard("www.example.org/first\r\nsecond");
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

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

std::optional<Geometry> geometryOf(const QString& window) {
    const Run got = run(QStringLiteral("xdotool"),
                        {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    Geometry g;
    int found = 0;
    for (const QString& line : QString::fromUtf8(got.output).split(QLatin1Char('\n'))) {
        const QStringList pair = line.split(QLatin1Char('='));
        if (pair.size() != 2) {
            continue;
        }
        const int value = pair[1].toInt();
        if (pair[0] == QLatin1String("X")) {
            g.x = value, ++found;
        } else if (pair[0] == QLatin1String("Y")) {
            g.y = value, ++found;
        } else if (pair[0] == QLatin1String("WIDTH")) {
            g.width = value, ++found;
        } else if (pair[0] == QLatin1String("HEIGHT")) {
            g.height = value, ++found;
        }
    }
    return found == 4 ? std::optional(g) : std::nullopt;
}

TEST_F(LinksEndToEnd, AutoOpenViewersShowsTheCatcherRightBelowTheTextWindow) {
    // Xvfb runs without a window manager, so outer and inner geometry are the same.
    program.writeSettings({{"ZIQ/ON", "0"}, {"ZIQ/AUTOOOPENVIEWERS", "1"}});
    program.start();
    const auto catcher = waitForWindow(QStringLiteral("^Link Catcher$"));
    const auto text = waitForWindow(QStringLiteral("^Recent Clipboard Text$"));
    ASSERT_TRUE(catcher && text);
    std::optional<Geometry> below;
    std::optional<Geometry> above;
    // The move may land a moment after the window first appears.
    EXPECT_TRUE(waitUntil([&] {
        below = geometryOf(*catcher);
        above = geometryOf(*text);
        return below && above && below->y == above->y + above->height;
    })) << (below ? below->y : -1)
        << " vs " << (above ? above->y : -1) << "+" << (above ? above->height : -1);
}

} // namespace
} // namespace ziq::e2e
