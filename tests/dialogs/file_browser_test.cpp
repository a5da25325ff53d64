#include "dialogs/file_browser_window.h"

#include "app/program.h"
#include "dialogs/directory_list.h"
#include "dialogs/drive_list.h"
#include "settings/options_window.h"
#include "support/test_program.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QPixmap>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTest>
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>

namespace ziq::test {
namespace {

namespace fs = std::filesystem;

class FileBrowserTest : public testing::Test {
protected:
    void SetUp() override {
        clips = tp.path("clips");
        links = tp.path("links");
        fs::create_directories(fs::path(clips) / "Beta");
        fs::create_directories(fs::path(clips) / "alpha");
        fs::create_directories(links);
        program().settings.savedFilePath = clips + kPathSeparator;
        program().settings.linkSavedFilePath = links + kPathSeparator;
    }
    void TearDown() override { flush(); }
    static void flush() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    Program& program() { return *tp.program; }
    BrowseState& browse() { return tp.program->browse; }
    // The browser as its opener leaves it, for a target and a starting folder.
    FileBrowserWindow& openAt(int target, const std::string& folder) {
        browse().browseTarget = static_cast<std::uint8_t>(target);
        if (target == 1) {
            browse().logPathChanged = 1;
        } else if (target == 2) {
            browse().linkLogPathChanged = 1;
        }
        FileBrowserWindow& browser = program().fileBrowser();
        browser.Text1->clear();
        browser.Text1->setEnabled(false);
        browser.show();
        browser.setDrive(folder);
        browser.setDirectory(folder);
        return browser;
    }
    static QString q(const std::string& text) { return QString::fromStdString(text); }

    TestProgram tp;
    std::string clips, links;
};

TEST_F(FileBrowserTest, DriveListShowsTheMountedVolumes) {
    const QList<Volume> listed = DriveList::mountedVolumes();
    EXPECT_EQ(listed.size(), QStorageInfo::mountedVolumes().size());
    const bool hasRoot = std::any_of(listed.begin(), listed.end(),
                                     [](const Volume& v) { return v.root == QDir::rootPath(); });
    EXPECT_TRUE(hasRoot);
    FileBrowserWindow& b = program().fileBrowser();
    EXPECT_EQ(b.Drive1->count(), listed.size());
    EXPECT_TRUE(b.Drive1->drive().isEmpty()); // none current until the opener picks one
}

TEST_F(FileBrowserTest, HasNoIconNotEvenTheProgramsOne) {
    QPixmap programIcon(16, 16);
    programIcon.fill(Qt::blue);
    QApplication::setWindowIcon(QIcon(programIcon));
    EXPECT_TRUE(program().fileBrowser().windowIcon().isNull());
    QApplication::setWindowIcon(QIcon());
}

TEST_F(FileBrowserTest, ShowsTheFolderWithExactlyOneTrailingSeparator) {
    FileBrowserWindow& b = openAt(1, clips + kPathSeparator);
    EXPECT_EQ(b.Dir1->path(), q(clips));
    EXPECT_EQ(b.Text1->toPlainText(), q(clips + kPathSeparator));
    EXPECT_TRUE(b.Text1->isVisible());
    ASSERT_TRUE(b.Dir1->setPath(QDir::rootPath()));
    EXPECT_EQ(b.Dir1->path(), QDir::toNativeSeparators(QDir::rootPath()));
    EXPECT_EQ(b.Text1->toPlainText(), QDir::toNativeSeparators(QDir::rootPath()));
}

TEST_F(FileBrowserTest, DirectoryListShowsTheChainAndTheSubfoldersAndMovesOnActivation) {
    FileBrowserWindow& b = openAt(1, clips);
    DirectoryList& list = *b.Dir1;
    const int depth = int(QDir::fromNativeSeparators(q(clips)).count(QLatin1Char('/')));
    ASSERT_EQ(list.count(), depth + 1 + 2);
    EXPECT_EQ(list.item(depth + 1)->text().trimmed(), QStringLiteral("alpha"));
    EXPECT_EQ(list.item(depth + 2)->text().trimmed(), QStringLiteral("Beta"));
    EXPECT_EQ(list.currentRow(), depth);

    emit list.itemActivated(list.item(depth + 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(list.path(), q(clips + kPathSeparator + "Beta"));
    EXPECT_EQ(b.Text1->toPlainText(), q(clips + kPathSeparator + "Beta" + kPathSeparator));

    emit list.itemActivated(list.item(0)); // the root
    QCoreApplication::processEvents();
    EXPECT_EQ(list.path(), QDir::toNativeSeparators(QDir::rootPath()));

    EXPECT_FALSE(list.setPath(q(tp.path("missing"))));
    EXPECT_FALSE(list.setPath(QStringLiteral("relative/folder")));
    EXPECT_EQ(list.path(), QDir::toNativeSeparators(QDir::rootPath()));
}

TEST_F(FileBrowserTest, OkCommitsTheListedFolderForTheTarget) {
    openAt(1, clips).Dir1->setPath(q(clips + kPathSeparator + "alpha"));
    program().frmFileBrowser->Command2->click();
    EXPECT_EQ(browse().pendingLogPath, clips + kPathSeparator + "alpha");
    EXPECT_EQ(browse().pendingLinkLogPath, "");
    EXPECT_EQ(program().frmFileBrowser, nullptr);
    flush();

    openAt(2, links).Dir1->setPath(QDir::rootPath());
    program().frmFileBrowser->Command2->click();
    EXPECT_EQ(browse().pendingLinkLogPath,
              QDir::toNativeSeparators(QDir::rootPath()).toStdString());
    flush();

    // A target whose flag is down takes nothing.
    browse().pendingLogPath = "kept";
    FileBrowserWindow& b = openAt(1, links);
    browse().logPathChanged = 0;
    b.Command2->click();
    EXPECT_EQ(browse().pendingLogPath, "kept");
}

TEST_F(FileBrowserTest, CancelKeepsPendingPathsAndSetsFlagsByTarget) {
    browse().pendingLogPath = clips + kPathSeparator; // same as saved
    FileBrowserWindow& b = openAt(1, clips);
    b.Dir1->setPath(q(links));
    browse().logPathChanged = 0;
    b.Command1->click();
    EXPECT_EQ(browse().logPathChanged, 0);
    EXPECT_EQ(browse().pendingLogPath, clips + kPathSeparator);
    flush();

    browse().pendingLinkLogPath = "/chosen/before";
    FileBrowserWindow& link = openAt(2, links);
    browse().linkLogPathChanged = 0;
    link.Command1->click();
    EXPECT_EQ(browse().linkLogPathChanged, 1);
    EXPECT_EQ(browse().pendingLinkLogPath, "/chosen/before");
    flush();

    // No target: both flags go down.
    browse().logPathChanged = 1;
    browse().linkLogPathChanged = 1;
    openAt(0, clips);
    program().frmFileBrowser->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(program().frmFileBrowser.get()));
    QTest::keyClick(program().frmFileBrowser->Dir1, Qt::Key_Escape); // Esc is Cancel
    EXPECT_EQ(program().frmFileBrowser, nullptr);
    EXPECT_EQ(browse().logPathChanged, 0);
    EXPECT_EQ(browse().linkLogPathChanged, 0);
}

TEST_F(FileBrowserTest, CloseBoxOnlyReenablesTheOptionsWindow) {
    OptionsWindow& options = program().options();
    options.show();
    options.setEnabled(false);
    browse().logPathChanged = 1;
    browse().linkLogPathChanged = 1;
    FileBrowserWindow& b = openAt(0, clips);
    b.Dir1->setPath(q(links));
    b.close();
    EXPECT_TRUE(options.isEnabled());
    EXPECT_EQ(program().frmFileBrowser, nullptr);
    EXPECT_EQ(browse().logPathChanged, 1);
    EXPECT_EQ(browse().linkLogPathChanged, 1);
    EXPECT_EQ(browse().pendingLogPath, clips + kPathSeparator);
}

TEST_F(FileBrowserTest, DriveThatIsNotReadyFallsBackToTheClipboardLogFolder) {
    FileBrowserWindow& b = openAt(2, links);
    const QString gone = QDir::rootPath() + QStringLiteral("ziq-no-such-volume/");
    b.Drive1->setVolumes(
        {{QDir::rootPath(), QStringLiteral("root")}, {gone, QStringLiteral("usb")}});
    b.Drive1->setCurrentIndex(1);
    EXPECT_EQ(b.Dir1->path(), q(clips));
    EXPECT_EQ(b.Drive1->drive(), QDir::toNativeSeparators(QDir::rootPath()));
    EXPECT_EQ(b.Text1->toPlainText(), q(clips + kPathSeparator));
    EXPECT_TRUE(tp.messages.shown.empty());
    b.Command2->click();
    EXPECT_EQ(browse().pendingLinkLogPath, clips); // whichever folder was being chosen
}

// The drive list shows the volume it tried last; the folder shown does not change.
TEST_F(FileBrowserTest, UnreachableFallbackKeepsTheFolderShownAndSaysNothing) {
    const QString first = QDir::rootPath() + QStringLiteral("ziq-gone-1/");
    const QString second = QDir::rootPath() + QStringLiteral("ziq-gone-2/");
    program().settings.savedFilePath = QDir::toNativeSeparators(second + "logs/").toStdString();
    FileBrowserWindow& b = openAt(1, links);
    b.Drive1->setVolumes({{first, QString()}, {second, QString()}});
    b.Drive1->setCurrentIndex(0);
    EXPECT_EQ(b.Dir1->path(), q(links));
    EXPECT_EQ(b.Text1->toPlainText(), q(links + kPathSeparator));
    EXPECT_TRUE(tp.messages.shown.empty());
}

} // namespace
} // namespace ziq::test
