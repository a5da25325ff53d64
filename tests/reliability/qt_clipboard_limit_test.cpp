// The size limit through the real clipboard seam (offscreen: Qt's own clipboard; on Windows
// the system's).

#include "platform/clipboard/clipboard_read_guard.h"
#include "platform/clipboard/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace ziq {
namespace {

TEST(QtClipboardLimit, AnOversizedTextIsNotReadAndStaysOnTheClipboard) {
    QtClipboard clipboard;
    QClipboard* system = QGuiApplication::clipboard();
    const QString huge(qsizetype(ClipboardReadGuard::kMaxTextLength) + 1, QLatin1Char('h'));
    system->setText(huge);
    EXPECT_EQ(clipboard.readText(), std::nullopt);
    EXPECT_FALSE(clipboard.hasText()) << "refused until the clipboard changes";
    EXPECT_EQ(clipboard.isSecret(), false);
    EXPECT_EQ(system->text().size(), huge.size()) << "the clipboard was touched";

    system->setText(QStringLiteral("small again"));
    // Windows reports the change through the event loop.
    EXPECT_TRUE(QTest::qWaitFor(
        [&clipboard] { return clipboard.readText() == QStringLiteral("small again"); }));
    EXPECT_TRUE(clipboard.hasText());

    const QString largest(qsizetype(ClipboardReadGuard::kMaxTextLength), QLatin1Char('l'));
    system->setText(largest);
    const auto read = clipboard.readText();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->size(), largest.size());
}

} // namespace
} // namespace ziq
