#include "capture/link_recognition.h"

#include "links/link_test_fixture.h"

#include <QPlainTextEdit>
#include <filesystem>

namespace ziq::test {
namespace {

using LinkRecognition = LinkWindowsTest;

TEST_F(LinkRecognition, ALinkReachesTheCatcherUnchangedAndIsLogged) {
    captured(QStringLiteral("HTTP://Example.COM/Some/Path"));
    recognize();
    EXPECT_EQ(catcher().text(), QStringLiteral("HTTP://Example.COM/Some/Path"));
    EXPECT_EQ(catcher().Text1->toPlainText(), QStringLiteral("HTTP://Example.COM/Some/Path"));
    EXPECT_EQ(linkLog(), "[20040125]\n093005=HTTP://Example.COM/Some/Path\n");
    EXPECT_EQ(tp.program->lastWriteResult, 1);
}

TEST_F(LinkRecognition, EachLinkBecomesANewLineAfterACrLf) {
    captured(QStringLiteral("http://first"));
    recognize();
    tp.clock.time.second = 6;
    captured(QStringLiteral("ftp.second"));
    recognize();
    captured(QStringLiteral("not one"));
    recognize();
    EXPECT_EQ(catcher().text(), QStringLiteral("http://first\r\nftp.second"));
    EXPECT_EQ(catcher().Text1->document()->blockCount(), 2);
    EXPECT_EQ(catcher().Text1->toPlainText(), QStringLiteral("http://first\nftp.second"));
    EXPECT_EQ(linkLog(), "[20040125]\n093005=http://first\n093006=ftp.second\n");
}

TEST_F(LinkRecognition, WholeTextIsHandedOnAndLoggedAsOneLine) {
    captured(QStringLiteral("  http://a\r\nand more  "));
    recognize();
    EXPECT_TRUE(catcher().text().isEmpty()) << "strict mode needs the identifier first";

    tp.program->settings.strictUrls = "0";
    recognize();
    EXPECT_EQ(catcher().text(), QStringLiteral("  http://a\r\nand more  "));
    EXPECT_EQ(linkLog(), "[20040125]\n093005=  http://aand more  \n");
}

TEST_F(LinkRecognition, StrictUrlsThatIsNotANumberActsStrict) {
    tp.program->settings.strictUrls = "maybe";
    captured(QStringLiteral("someone@example"));
    recognize();
    EXPECT_TRUE(catcher().text().isEmpty());
    captured(QStringLiteral("mailto:someone@example"));
    recognize();
    EXPECT_EQ(catcher().text(), QStringLiteral("mailto:someone@example"));
}

TEST_F(LinkRecognition, SentencesAndOverlongTextsStayOut) {
    tp.program->settings.strictUrls = "0";
    captured(QStringLiteral("A plain sentence, nothing more"));
    recognize();
    captured(QStringLiteral("http://") + QString(250, QLatin1Char('x')));
    recognize();
    EXPECT_TRUE(catcher().text().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(tp.path("ziqurl.txt")));
}

TEST_F(LinkRecognition, LengthIsCountedAsTheTextBoxCountsIt) {
    QString pairs = QStringLiteral("http");
    for (int i = 0; i < 126; ++i) {
        pairs += QString::fromUtf8("\xf0\x9f\x98\x80"); // two UTF-16 units each
    }
    ASSERT_EQ(pairs.size(), 256);
    EXPECT_TRUE(looksLikeLink(pairs, LinkMode::Strict));
    EXPECT_FALSE(looksLikeLink(pairs + QLatin1Char('x'), LinkMode::Strict));
    EXPECT_TRUE(looksLikeLink(QStringLiteral("\u0130 .de"), LinkMode::Loose));
    EXPECT_FALSE(looksLikeLink(QString(300000, QChar(0)), LinkMode::Loose));
}

TEST_F(LinkRecognition, AFailedLogWriteStillLeavesTheLinkInTheWindow) {
    tp.program->settings.linkSavedFilePath = tp.dir() + "/missing/";
    captured(QStringLiteral("www.example.org"));
    recognize();
    EXPECT_EQ(catcher().text(), QStringLiteral("www.example.org"));
    ASSERT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(tp.messages.shown[0].text,
              "Error writing to: " + tp.dir() +
                  "/missing/ziqurl.txt. Be sure file is not protected, the clipboard text is "
                  "not too big, and that the file size is not too large.");
    EXPECT_EQ(tp.messages.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(tp.program->lastWriteResult, 0);
}

} // namespace
} // namespace ziq::test

namespace ziq::test {
namespace {

// Through the poller, as the program runs it.
class LinkCatchingTick : public LinkWindowsTest {
protected:
    void SetUp() override {
        LinkWindowsTest::SetUp();
        tp.program->settings.clipboardOn = "1";
        tp.program->settings.autoSave = "0";
    }
    void tick(const QString& clipboard) {
        tp.clipboard.text = clipboard;
        tp.app->frmToText->tick();
    }
};

TEST_F(LinkCatchingTick, CatchingOffLeavesTheCatcherAlone) {
    for (const char* off : {"0", "", "on"}) {
        tp.program->settings.linkCatcherOn = off;
        tick(QStringLiteral("http://") + QString::fromLatin1(off) + QStringLiteral("x"));
    }
    EXPECT_TRUE(catcher().text().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(tp.path("ziqurl.txt")));
}

TEST_F(LinkCatchingTick, TicksInsideTheLinkLogsBoxCatchNothing) {
    tp.program->settings.linkSavedFilePath = tp.dir() + "/missing/";
    int nested = 0;
    tp.messages.onShow = [&](const ShownMessage&) {
        if (nested++ == 0) {
            tick(QStringLiteral("http://while.the.box.is.open"));
        }
    };
    tick(QStringLiteral("http://first"));
    EXPECT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(catcher().text(), QStringLiteral("http://first"));
    // Once the box is closed the next tick catches what is on the clipboard now.
    tp.app->frmToText->tick();
    EXPECT_EQ(catcher().text(), QStringLiteral("http://first\r\nhttp://while.the.box.is.open"));
    EXPECT_EQ(tp.messages.shown.size(), 2u);
}

} // namespace
} // namespace ziq::test
