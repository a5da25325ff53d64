#include "settings/options_fixture.h"

#include <QCheckBox>

namespace ziq::test {
namespace {

struct LoadCase {
    const char* name;
    const char* value;
    bool checked;
    const char* frequency;
    const char* saveType;
    const char* linkSaveType;
};

void PrintTo(const LoadCase& c, std::ostream* out) {
    *out << c.name;
}

class OptionsLoadValueTest : public OptionsFixture, public testing::WithParamInterface<LoadCase> {};

// Every setting holds the same text; Hit & Run comes from the file.
TEST_P(OptionsLoadValueTest, ShowsEachValueClassInEveryGroup) {
    const LoadCase& c = GetParam();
    Settings& s = settings();
    for (std::string* field :
         {&s.clipboardOn, &s.beepOn, &s.autoOpenViewers, &s.frequency, &s.autoSave, &s.saveType,
          &s.linkCatcherOn, &s.strictUrls, &s.linkAutoSave, &s.linkSaveType}) {
        *field = c.value;
    }
    store("ZIQ", "HITNRUN", c.value);

    OptionsWindow& w = open();
    for (const QCheckBox* box :
         {w.Check1, w.Check2, w.Check3, w.Check4, w.Check5, w.Check6, w.Check7, w.Check8}) {
        EXPECT_EQ(box->isChecked(), c.checked) << box->objectName().toStdString();
    }
    EXPECT_EQ(selectedIn(w.Frame1), QLatin1String(c.frequency));
    EXPECT_EQ(selectedIn(w.Frame3), QLatin1String(c.saveType));
    EXPECT_EQ(selectedIn(w.Frame2), QLatin1String(c.linkSaveType));
    // Check7 becomes checked while loading for 1, and for a text that is not a number,
    // which passes both tests: checked by the first, unchecked by the second.
    const bool noticed = std::string(c.value) == "1" || std::string(c.name) == "word" ||
                         std::string(c.name) == "empty";
    EXPECT_EQ(noticesShown(), noticed ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    ValueClasses, OptionsLoadValueTest,
    testing::Values(LoadCase{"one", "1", true, "Option1", "Option6", "Option9"},
                    LoadCase{"zero", "0", false, "Option1", "Option8", "Option10"},
                    LoadCase{"two", "2", false, "Option2", "Option7", "Option10"},
                    LoadCase{"three", "3", false, "Option3", "Option8", "Option10"},
                    LoadCase{"four", "4", false, "Option4", "Option8", "Option10"},
                    LoadCase{"five", "5", false, "Option5", "Option8", "Option10"},
                    LoadCase{"seven", "7", false, "Option1", "Option8", "Option10"},
                    LoadCase{"word", "yes", false, "Option1", "Option6", "Option9"},
                    LoadCase{"empty", "", false, "Option1", "Option6", "Option9"}),
    [](const testing::TestParamInfo<LoadCase>& tested) { return std::string(tested.param.name); });

using OptionsLoadTest = OptionsFixture;

TEST_F(OptionsLoadTest, EachCheckBoxShowsItsOwnSetting) {
    // Alternating values catch a box wired to its neighbour's setting.
    for (const bool firstOn : {true, false}) {
        Settings& s = settings();
        bool on = firstOn;
        for (std::string* field : {&s.clipboardOn, &s.beepOn, &s.autoOpenViewers, &s.autoSave,
                                   &s.linkCatcherOn, &s.strictUrls, &s.linkAutoSave}) {
            *field = on ? "1" : "0";
            on = !on;
        }
        OptionsWindow& w = open();
        on = firstOn;
        for (const QCheckBox* box :
             {w.Check1, w.Check2, w.Check3, w.Check5, w.Check4, w.Check8, w.Check6}) {
            EXPECT_EQ(box->isChecked(), on) << box->objectName().toStdString();
            on = !on;
        }
        w.close();
        flush();
    }
}

TEST_F(OptionsLoadTest, HitAndRunShowsTheStoredValueNotTheOneInMemory) {
    // Started with "99": the file says 1, this run says 0.
    store("ZIQ", "HITNRUN", "1");
    settings().hitAndRun = 0;
    OptionsWindow& w = open();
    EXPECT_TRUE(w.Check7->isChecked());
    ASSERT_EQ(tp.messages.shown.size(), 1u);
    const ShownMessage& notice = tp.messages.shown[0];
    EXPECT_EQ(notice.text,
              "NOTICE: Once you check this option and save it, this program will open, do its "
              "job, then exit.  The only way back in is to edit " +
                  tp.dir() + kPathSeparator +
                  "ziq2.ini and set HITNRUN=0 or simply delete ziq.ini to reset all settings.  "
                  "You could also run the command: \"ZIQ2.exe 99\"");
    EXPECT_EQ(notice.icon, MessageIcon::Critical);
    EXPECT_EQ(notice.caption, "ZIQ2");
    w.close();
    flush();

    store("ZIQ", "HITNRUN", "0");
    settings().hitAndRun = 1;
    EXPECT_FALSE(open().Check7->isChecked());
    EXPECT_EQ(noticesShown(), 1u);
}

TEST_F(OptionsLoadTest, MissingHitAndRunKeyOrFileNoticesOnceAndEndsUnchecked) {
    std::filesystem::remove(filePath(iniPath()));
    store("ZIQ", "ON", "1");
    OptionsWindow& w = open();
    EXPECT_FALSE(w.Check7->isChecked());
    EXPECT_EQ(noticesShown(), 1u);
    w.close();
    flush();

    std::filesystem::remove(filePath(iniPath()));
    EXPECT_FALSE(open().Check7->isChecked());
    EXPECT_EQ(noticesShown(), 2u);
}

TEST_F(OptionsLoadTest, NoticeEachTimeHitAndRunBecomesChecked) {
    OptionsWindow& w = open();
    EXPECT_EQ(noticesShown(), 0u);
    w.Check7->click();
    EXPECT_EQ(noticesShown(), 1u);
    EXPECT_TRUE(w.Check7->isChecked());
    w.Check7->click();
    EXPECT_EQ(noticesShown(), 1u);
    w.Check7->click();
    EXPECT_EQ(noticesShown(), 2u);
    EXPECT_TRUE(w.Check7->isChecked());
}

TEST_F(OptionsLoadTest, LoadingResetsTheBrowseStateButNotTheFlags) {
    BrowseState& b = program().browse;
    b.browseTarget = BrowseTarget::LinkLog;
    b.pendingLogPath = "/stale";
    b.pendingLinkLogPath = "/stale2";
    b.logPathChanged = 1;
    b.linkLogPathChanged = 1;
    settings().savedFilePath = "/logs/clips/";
    settings().linkSavedFilePath = "/logs/links/";
    settings().iniPath = "/logs/clips/20040125.txt"; // left there by a log write
    open();
    EXPECT_EQ(b.browseTarget, BrowseTarget::None);
    EXPECT_EQ(b.pendingLogPath, "/logs/clips/");
    EXPECT_EQ(b.pendingLinkLogPath, "/logs/links/");
    EXPECT_EQ(b.logPathChanged, 1);
    EXPECT_EQ(b.linkLogPathChanged, 1);
    EXPECT_EQ(settings().iniPath, iniPath());
}

TEST_F(OptionsLoadTest, ProgramAtARootFormsTheSettingsPathWithOneSeparator) {
    // Nothing is written there: the window only reads.
    program().app.programDir = std::string(1, kPathSeparator);
    settings().iniPath.clear();
    OptionsWindow& w = open();
    const std::string root(1, kPathSeparator);
    EXPECT_EQ(settings().iniPath, root + "ziq2.ini");
    // The notice names the file the same way.
    w.Check7->setChecked(false);
    w.Check7->click();
    ASSERT_FALSE(tp.messages.shown.empty());
    EXPECT_NE(tp.messages.shown.back().text.find(" edit " + root + "ziq2.ini and "),
              std::string::npos);
}

TEST_F(OptionsLoadTest, NoticeNamesTheSettingsFileWhereverItIsKept) {
    program().app.settingsDir = tp.path("config");
    OptionsWindow& w = open();
    w.Check7->setChecked(false);
    w.Check7->click();
    ASSERT_FALSE(tp.messages.shown.empty());
    EXPECT_NE(tp.messages.shown.back().text.find(" edit " + tp.path("config") + kPathSeparator +
                                                 "ziq2.ini and "),
              std::string::npos);
}

} // namespace
} // namespace ziq::test
