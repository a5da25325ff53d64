#include "settings/options_fixture.h"

#include "dialogs/directory_list.h"
#include "dialogs/drive_list.h"
#include "dialogs/file_browser_window.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>

namespace ziq::test {
namespace {

namespace fs = std::filesystem;

// Folders for the logs, in the program folder, saved without a trailing separator so that
// saving has to add one.
class OptionsFoldersTest : public OptionsFixture {
protected:
    void SetUp() override {
        OptionsFixture::SetUp();
        clips = tp.path("clips");
        links = tp.path("links");
        other = tp.path("other");
        for (const std::string& folder : {clips, links, other}) {
            fs::create_directory(filePath(folder));
        }
        reload({{"ZIQ/SAVEDFILEPATH", clips}, {"LINKCATCHER/linkcatcherSAVEDFILEPATH", links}});
    }
    FileBrowserWindow& browser() { return *app().frmFileBrowser; }
    static QString q(const std::string& text) { return QString::fromStdString(text); }

    std::string clips, links, other;
};

TEST_F(OptionsFoldersTest, FolderButtonsOpenTheBrowserAtTheSavedFolder) {
    OptionsWindow& w = open();
    w.Command1->click();
    const BrowseState& b = program().browse;
    EXPECT_EQ(b.browseTarget, BrowseTarget::ClipboardLog);
    EXPECT_EQ(b.logPathChanged, 1);
    EXPECT_EQ(b.linkLogPathChanged, 0);
    EXPECT_FALSE(w.isEnabled());
    ASSERT_NE(app().frmFileBrowser, nullptr);
    EXPECT_TRUE(browser().isVisible());
    EXPECT_FALSE(browser().Text1->isEnabled());
    EXPECT_EQ(browser().Dir1->path(), q(clips));
    EXPECT_EQ(browser().Text1->toPlainText(), q(clips + kPathSeparator));
    EXPECT_FALSE(browser().Drive1->drive().isEmpty());
    EXPECT_TRUE(browser().Dir1->path().startsWith(browser().Drive1->drive()));

    browser().Command1->click(); // Cancel
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(app().frmFileBrowser, nullptr);
    flush();

    w.Command8->click();
    EXPECT_EQ(b.browseTarget, BrowseTarget::LinkLog);
    EXPECT_EQ(b.linkLogPathChanged, 1);
    EXPECT_EQ(browser().Dir1->path(), q(links));
    EXPECT_EQ(browser().Text1->toPlainText(), q(links + kPathSeparator));
}

TEST_F(OptionsFoldersTest, ChosenFolderIsSavedWithItsSeparator) {
    OptionsWindow& w = open();
    w.Command1->click();
    ASSERT_TRUE(browser().Dir1->setPath(q(other)));
    browser().Command2->click(); // Ok
    EXPECT_EQ(program().browse.pendingLogPath, other);
    EXPECT_TRUE(w.isEnabled());
    // Not saved yet: the tool-tip still names the saved folder.
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), w.Command1->mapToGlobal(QPointF(3, 3)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.Command1, &move);
    EXPECT_EQ(w.Command1->toolTip(), q("Current main logs path: " + clips));
    EXPECT_EQ(stored("ZIQ", "SAVEDFILEPATH"), clips);

    w.Command2->click();
    EXPECT_EQ(stored("ZIQ", "SAVEDFILEPATH"), other + kPathSeparator);
    EXPECT_EQ(settings().savedFilePath, other + kPathSeparator);
    EXPECT_EQ(stored("LINKCATCHER", "linkcatcherSAVEDFILEPATH"), links); // never chosen
}

TEST_F(OptionsFoldersTest, CancelledBrowseStillSavesTheLoadedFolderWithASeparator) {
    OptionsWindow& w = open();
    w.Command8->click();
    ASSERT_TRUE(browser().Dir1->setPath(q(other)));
    browser().Command1->click(); // Cancel
    EXPECT_EQ(program().browse.pendingLinkLogPath, links);
    EXPECT_EQ(program().browse.linkLogPathChanged, 1);
    w.Command2->click();
    EXPECT_EQ(stored("LINKCATCHER", "linkcatcherSAVEDFILEPATH"), links + kPathSeparator);
    EXPECT_EQ(stored("ZIQ", "SAVEDFILEPATH"), clips);
}

TEST_F(OptionsFoldersTest, BrowserStartsAtTheSavedFolderEachTime) {
    OptionsWindow& w = open();
    w.Command1->click();
    ASSERT_TRUE(browser().Dir1->setPath(q(other)));
    browser().Command2->click();
    flush();
    w.Command1->click();
    EXPECT_EQ(browser().Dir1->path(), q(clips));
    EXPECT_EQ(program().browse.pendingLogPath, other); // the earlier choice still waits
}

TEST_F(OptionsFoldersTest, ClosingWithoutSavingDropsTheChoice) {
    const std::string before = fileText();
    OptionsWindow& w = open();
    w.Command1->click();
    ASSERT_TRUE(browser().Dir1->setPath(q(other)));
    browser().Command2->click();
    w.Command3->click();
    flush();
    EXPECT_EQ(fileText(), before);

    open();
    EXPECT_EQ(program().browse.pendingLogPath, clips);
    EXPECT_EQ(program().browse.logPathChanged, 1); // so the next save writes the folder again
}

TEST_F(OptionsFoldersTest, ClosingTheOptionsWindowClosesTheBrowser) {
    OptionsWindow& w = open();
    w.Command1->click();
    ASSERT_NE(app().frmFileBrowser, nullptr);
    w.close();
    EXPECT_EQ(app().frmFileBrowser, nullptr);
    EXPECT_EQ(app().frmOptions, nullptr);
}

TEST_F(OptionsFoldersTest, MissingSavedFolderLeavesTheListAtItsVolume) {
    reload({{"ZIQ/SAVEDFILEPATH", tp.path("gone")}});
    OptionsWindow& w = open();
    w.Command1->click();
    const QString drive = browser().Drive1->drive();
    ASSERT_FALSE(drive.isEmpty());
    // The volume's root, where its drive change put the list.
    const QString root = browser().Dir1->path();
    EXPECT_EQ(withTrailingSeparator(root.toStdString()), drive.toStdString());
    EXPECT_EQ(browser().Text1->toPlainText(), drive);
    EXPECT_TRUE(tp.messages.shown.empty());
}

} // namespace
} // namespace ziq::test
