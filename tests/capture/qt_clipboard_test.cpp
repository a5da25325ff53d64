#include "platform/clipboard/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

namespace ziq {
namespace {

// The toolkit's clipboard, in-process on the offscreen platform.
class QtClipboardTest : public testing::Test {
protected:
    void offer(QMimeData* data) { QGuiApplication::clipboard()->setMimeData(data); }
    QtClipboard clipboard;
};

TEST_F(QtClipboardTest, WritesPlainTextOnlyAndClears) {
    auto* data = new QMimeData;
    data->setHtml(QStringLiteral("<b>bold</b>"));
    data->setText(QStringLiteral("bold"));
    offer(data);
    EXPECT_EQ(clipboard.readText(), QStringLiteral("bold"));
    ASSERT_TRUE(clipboard.clear());
    EXPECT_FALSE(clipboard.hasText());
    ASSERT_TRUE(clipboard.writeText(QStringLiteral("bold")));
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->formats(), QStringList{"text/plain"});
    EXPECT_EQ(clipboard.readText(), QStringLiteral("bold"));
}

TEST_F(QtClipboardTest, PicturesAndFileListsHoldNoText) {
    auto* picture = new QMimeData;
    picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
    offer(picture);
    EXPECT_FALSE(clipboard.hasText());
    EXPECT_EQ(clipboard.readText(), QString());

    // File managers also offer the paths as text; rewriting that would lose the files.
    auto* files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")),
                    QUrl::fromLocalFile(QStringLiteral("/tmp/b.txt"))});
    files->setText(QStringLiteral("/tmp/a.txt\n/tmp/b.txt"));
    offer(files);
    EXPECT_FALSE(clipboard.hasText());
    EXPECT_EQ(clipboard.readText(), QString());

    auto* gnome = new QMimeData;
    gnome->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\nfile:///tmp/a.txt");
    gnome->setText(QStringLiteral("/tmp/a.txt"));
    offer(gnome);
    EXPECT_EQ(clipboard.readText(), QString());

    // A copied web link is text.
    auto* link = new QMimeData;
    link->setUrls({QUrl(QStringLiteral("https://example.org/"))});
    link->setText(QStringLiteral("https://example.org/"));
    offer(link);
    EXPECT_TRUE(clipboard.hasText());
    EXPECT_EQ(clipboard.readText(), QStringLiteral("https://example.org/"));
}

TEST_F(QtClipboardTest, RecognisesPasswordManagerMarks) {
    auto* marked = new QMimeData;
    marked->setText(QStringLiteral("hunter2"));
    marked->setData(QStringLiteral("x-kde-passwordManagerHint"), "secret");
    offer(marked);
    EXPECT_EQ(clipboard.isSecret(), true);

    auto* plain = new QMimeData;
    plain->setText(QStringLiteral("hunter2"));
    offer(plain);
    EXPECT_EQ(clipboard.isSecret(), false);
}

TEST_F(QtClipboardTest, TheTextIsKeptOnlyWhereTheSystemCanHoldIt) {
    clipboard.writeText(QStringLiteral("stays"));
#ifdef _WIN32
    // Windows holds the text itself once it is rendered, and it reads the same.
    EXPECT_TRUE(clipboard.keepTextAfterExit());
    EXPECT_EQ(clipboard.readText(), QStringLiteral("stays"));
#else
    EXPECT_FALSE(clipboard.keepTextAfterExit()); // offscreen: no keeper, nothing outlives us
#endif
}

} // namespace
} // namespace ziq
