#include "dialogs/file_browser_window.h"

#include "settings/program.h"
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
    Application& app() { return *tp.app; }
    BrowseState& browse() { return tp.program->browse; }
    // The browser as its opener leaves it, for a target and a starting folder.
    FileBrowserWindow& openAt(BrowseTarget target, const std::string& folder) {
        browse().browseTarget = target;
        if (target == BrowseTarget::ClipboardLog) {
            browse().logPathChanged = 1;
        } else if (target == BrowseTarget::LinkLog) {
            browse().linkLogPathChanged = 1;
        }
        FileBrowserWindow& browser = app().fileBrowser();
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
    FileBrowserWindow& b = app().fileBrowser();
    EXPECT_EQ(b.Drive1->count(), listed.size());
    EXPECT_TRUE(b.Drive1->drive().isEmpty()); // none current until the opener picks one
}

TEST(DriveListLetters, OnlyLocalFixedDrivesAreAskedForTheirLabel) {
    using Kind = DriveList::DriveKind;
    QStringList asked;
    // A: removable, C: and D: fixed, X: a network drive.
    const unsigned long mask = 1UL | (1UL << 2) | (1UL << 3) | (1UL << 23);
    const QList<Volume> volumes = DriveList::lettersToVolumes(
        mask,
        [](const QString& root) {
            return root == QStringLiteral("C:/") || root == QStringLiteral("D:/") ? Kind::Fixed
                                                                                  : Kind::Other;
        },
        [&](const QString& root) {
            asked.push_back(root);
            return root == QStringLiteral("C:/") ? QStringLiteral("System") : QString();
        });
    ASSERT_EQ(volumes.size(), 4);
    EXPECT_EQ(volumes[0].root, QStringLiteral("A:/"));
    EXPECT_EQ(volumes[1].root, QStringLiteral("C:/"));
    EXPECT_EQ(volumes[1].label, QStringLiteral("System"));
    EXPECT_EQ(volumes[3].root, QStringLiteral("X:/"));
    EXPECT_TRUE(volumes[3].label.isEmpty());
    EXPECT_EQ(asked, (QStringList{QStringLiteral("C:/"), QStringLiteral("D:/")}));
}

TEST_F(FileBrowserTest, HasNoIconNotEvenTheProgramsOne) {
    QPixmap programIcon(16, 16);
    programIcon.fill(Qt::blue);
    QApplication::setWindowIcon(QIcon(programIcon));
    EXPECT_TRUE(app().fileBrowser().windowIcon().isNull());
    QApplication::setWindowIcon(QIcon());
}

TEST_F(FileBrowserTest, ShowsTheFolderWithExactlyOneTrailingSeparator) {
    FileBrowserWindow& b = openAt(BrowseTarget::ClipboardLog, clips + kPathSeparator);
    EXPECT_EQ(b.Dir1->path(), q(clips));
    EXPECT_EQ(b.Text1->toPlainText(), q(clips + kPathSeparator));
    EXPECT_TRUE(b.Text1->isVisible());
    ASSERT_TRUE(b.Dir1->setPath(QDir::rootPath()));
    EXPECT_EQ(b.Dir1->path(), QDir::toNativeSeparators(QDir::rootPath()));
    EXPECT_EQ(b.Text1->toPlainText(), QDir::toNativeSeparators(QDir::rootPath()));
}

TEST_F(FileBrowserTest, DirectoryListShowsTheChainAndTheSubfoldersAndMovesOnActivation) {
    FileBrowserWindow& b = openAt(BrowseTarget::ClipboardLog, clips);
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
    openAt(BrowseTarget::ClipboardLog, clips).Dir1->setPath(q(clips + kPathSeparator + "alpha"));
    app().frmFileBrowser->Command2->click();
    EXPECT_EQ(browse().pendingLogPath, clips + kPathSeparator + "alpha");
    EXPECT_EQ(browse().pendingLinkLogPath, "");
    EXPECT_EQ(app().frmFileBrowser, nullptr);
    flush();

    openAt(BrowseTarget::LinkLog, links).Dir1->setPath(QDir::rootPath());
    app().frmFileBrowser->Command2->click();
    EXPECT_EQ(browse().pendingLinkLogPath,
              QDir::toNativeSeparators(QDir::rootPath()).toStdString());
    flush();

    // A target whose flag is down takes nothing.
    browse().pendingLogPath = "kept";
    FileBrowserWindow& b = openAt(BrowseTarget::ClipboardLog, links);
    browse().logPathChanged = 0;
    b.Command2->click();
    EXPECT_EQ(browse().pendingLogPath, "kept");
}

TEST_F(FileBrowserTest, CancelKeepsPendingPathsAndSetsFlagsByTarget) {
    browse().pendingLogPath = clips + kPathSeparator; // same as saved
    FileBrowserWindow& b = openAt(BrowseTarget::ClipboardLog, clips);
    b.Dir1->setPath(q(links));
    browse().logPathChanged = 0;
    b.Command1->click();
    EXPECT_EQ(browse().logPathChanged, 0);
    EXPECT_EQ(browse().pendingLogPath, clips + kPathSeparator);
    flush();

    browse().pendingLinkLogPath = "/chosen/before";
    FileBrowserWindow& link = openAt(BrowseTarget::LinkLog, links);
    browse().linkLogPathChanged = 0;
    link.Command1->click();
    EXPECT_EQ(browse().linkLogPathChanged, 1);
    EXPECT_EQ(browse().pendingLinkLogPath, "/chosen/before");
    flush();

    // No target: both flags go down.
    browse().logPathChanged = 1;
    browse().linkLogPathChanged = 1;
    openAt(BrowseTarget::None, clips);
    app().frmFileBrowser->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(app().frmFileBrowser.get()));
    QTest::keyClick(app().frmFileBrowser->Dir1, Qt::Key_Escape); // Esc is Cancel
    EXPECT_EQ(app().frmFileBrowser, nullptr);
    EXPECT_EQ(browse().logPathChanged, 0);
    EXPECT_EQ(browse().linkLogPathChanged, 0);
}

TEST_F(FileBrowserTest, CloseBoxOnlyReenablesTheOptionsWindow) {
    OptionsWindow& options = app().options();
    options.show();
    options.setEnabled(false);
    browse().logPathChanged = 1;
    browse().linkLogPathChanged = 1;
    FileBrowserWindow& b = openAt(BrowseTarget::None, clips);
    b.Dir1->setPath(q(links));
    b.close();
    EXPECT_TRUE(options.isEnabled());
    EXPECT_EQ(app().frmFileBrowser, nullptr);
    EXPECT_EQ(browse().logPathChanged, 1);
    EXPECT_EQ(browse().linkLogPathChanged, 1);
    EXPECT_EQ(browse().pendingLogPath, clips + kPathSeparator);
}

TEST_F(FileBrowserTest, DriveThatIsNotReadyFallsBackToTheClipboardLogFolder) {
    FileBrowserWindow& b = openAt(BrowseTarget::LinkLog, links);
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
    FileBrowserWindow& b = openAt(BrowseTarget::ClipboardLog, links);
    b.Drive1->setVolumes({{first, QString()}, {second, QString()}});
    b.Drive1->setCurrentIndex(0);
    EXPECT_EQ(b.Dir1->path(), q(links));
    EXPECT_EQ(b.Text1->toPlainText(), q(links + kPathSeparator));
    EXPECT_TRUE(tp.messages.shown.empty());
}

} // namespace
} // namespace ziq::test
