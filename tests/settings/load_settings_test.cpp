#include "settings/load_settings.h"

#include "platform/profile/profile_file.h"
#include "settings/program_state.h"
#include "settings/read_ini_value.h"
#include "settings/settings_paths.h"
#include "support/recording_message_boxes.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace ziq {
namespace {

namespace fs = std::filesystem;

constexpr const char* kWelcome =
    "Welcome to ZIQ!  You can access ZIQ's menu from your System Tray usually located next to "
    "your clock in the taskbar.";

class LoadSettingsTest : public testing::Test {
protected:
    void SetUp() override { state.app.programDir = folder.path().string(); }

    std::string iniPath() const { return (folder.path() / "ziq2.ini").string(); }
    void load() { LoadSettings(state, messages); }
    void write(const char* section, const char* key, const std::string& value) {
        ASSERT_TRUE(profile::writeString(section, key, value, iniPath()));
    }
    std::string slurp() const { return test::readFile(iniPath()); }

    test::TempFolder folder;
    ProgramState state;
    test::RecordingMessageBoxes messages;
};

TEST_F(LoadSettingsTest, FirstRunWritesDefaultsInOrderAndWelcomesOnce) {
    load();
    const std::string dir = folder.path().string() + "/";
    EXPECT_EQ(slurp(), "[ZIQ]\nON=1\nBEEPON=1\nAUTOOOPENVIEWERS=0\nFREQUENCY=1\nAUTOSAVE=1\n"
                       "SAVETYPE=3\nSAVEDFILEPATH=" +
                           dir +
                           "\nHITNRUN=0\nFIRSTRUN=9\n[LINKCATCHER]\nON=1\nSTRICTURLS=1\n"
                           "AUTOSAVE=1\nSAVETYPE=2\nlinkcatcherSAVEDFILEPATH=" +
                           dir + "\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kWelcome);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(messages.shown[0].caption, "ZIQ2");

    const Settings& s = state.settings;
    EXPECT_EQ(s.iniPath, iniPath());
    EXPECT_EQ(s.clipboardOn, "1");
    EXPECT_EQ(s.beepOn, "1");
    EXPECT_EQ(s.autoOpenViewers, "0");
    EXPECT_EQ(s.frequency, "1");
    EXPECT_EQ(s.autoSave, "1");
    EXPECT_EQ(s.saveType, "3");
    EXPECT_EQ(s.savedFilePath, dir);
    EXPECT_EQ(s.linkCatcherOn, "1");
    EXPECT_EQ(s.strictUrls, "1");
    EXPECT_EQ(s.linkAutoSave, "1");
    EXPECT_EQ(s.linkSaveType, "2");
    EXPECT_EQ(s.linkSavedFilePath, dir);
    EXPECT_EQ(s.hitAndRun, 0);
    EXPECT_EQ(state.lastWriteResult, 1);
}

TEST_F(LoadSettingsTest, SecondStartShowsNothingAndWritesNothing) {
    load();
    const std::string before = slurp();
    const auto stamp = fs::last_write_time(iniPath());
    messages.shown.clear();

    ProgramState again;
    again.app = state.app;
    LoadSettings(again, messages);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(slurp(), before);
    EXPECT_EQ(fs::last_write_time(iniPath()), stamp);
    EXPECT_EQ(again.settings.saveType, "3");
}

TEST_F(LoadSettingsTest, InitialisedMeansFirstRunReadsAsNine) {
    for (const char* initialised : {"9", "09", " 9.0"}) {
        fs::remove(iniPath());
        write("ZIQ", "FIRSTRUN", initialised);
        write("ZIQ", "SAVETYPE", "1");
        messages.shown.clear();
        load();
        EXPECT_TRUE(messages.shown.empty()) << initialised;
        EXPECT_EQ(state.settings.saveType, "1") << initialised;
    }
}

TEST_F(LoadSettingsTest, FirstRunZeroResetsKnownKeysAndKeepsUnknownOnes) {
    std::ofstream(iniPath()) << "; mine\n[ZIQ]\nFIRSTRUN=0\nON=0\nFREQUENCY=4\nCOLOUR=blue\n"
                                "[EXTRA]\nX=1\n[LINKCATCHER]\nSAVETYPE=1\n";
    load();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(state.settings.clipboardOn, "1");
    EXPECT_EQ(state.settings.frequency, "1");
    EXPECT_EQ(state.settings.linkSaveType, "2");
    EXPECT_EQ(ReadIniValue("ZIQ", "FIRSTRUN", iniPath()), "9");
    EXPECT_EQ(ReadIniValue("ZIQ", "COLOUR", iniPath()), "blue");
    EXPECT_EQ(ReadIniValue("EXTRA", "X", iniPath()), "1");
    EXPECT_EQ(slurp().rfind("; mine\n[ZIQ]\nFIRSTRUN=9\nON=1\n", 0), 0u);
}

TEST_F(LoadSettingsTest, ArgumentNinetyNineSuspendsHitAndRunForThisRunOnly) {
    load();
    write("ZIQ", "HITNRUN", "1");
    const struct {
        const char* commandLine;
        int hitAndRun;
    } cases[] = {{"99", 0}, {"099", 1}, {"9", 1}, {"99 ", 1}, {"", 1}, {"99 99", 1}};
    for (const auto& c : cases) {
        state.app.commandLine = c.commandLine;
        load();
        EXPECT_EQ(state.settings.hitAndRun, c.hitAndRun) << '"' << c.commandLine << '"';
    }
    EXPECT_EQ(ReadIniValue("ZIQ", "HITNRUN", iniPath()), "1");
}

TEST_F(LoadSettingsTest, UnreadableHitAndRunKeepsThePreviousValueSilently) {
    load();
    messages.shown.clear();
    for (const char* bad : {"yes", "", "256", "-3"}) {
        state.settings.hitAndRun = 7;
        write("ZIQ", "HITNRUN", bad);
        load();
        EXPECT_EQ(state.settings.hitAndRun, 7) << bad;
        EXPECT_EQ(state.settings.beepOn, "1");
    }
    EXPECT_TRUE(messages.shown.empty());
    write("ZIQ", "HITNRUN", "2.5");
    load();
    EXPECT_EQ(state.settings.hitAndRun, 2);
}

TEST_F(LoadSettingsTest, UnwritableFolderWelcomesThenReportsAtEveryStart) {
    // A folder below a regular file cannot be created even by root.
    std::ofstream(folder.path() / "plain") << "x";
    state.app.programDir = (folder.path() / "plain" / "app").string();
    const std::string expectedPath = state.app.programDir + "/ziq2.ini";
    for (int start = 0; start < 2; ++start) {
        messages.shown.clear();
        state.app.commandLine = "99";
        state.settings.hitAndRun = 0;
        load();
        ASSERT_EQ(messages.shown.size(), 2u);
        EXPECT_EQ(messages.shown[0].text, kWelcome);
        EXPECT_EQ(messages.shown[1].text,
                  "Error Writing to " + expectedPath + ", make sure it is not write protected.");
        EXPECT_EQ(messages.shown[1].icon, MessageIcon::None);
        EXPECT_EQ(state.lastWriteResult, 0);
        EXPECT_EQ(state.settings.clipboardOn, "");
        EXPECT_EQ(state.settings.hitAndRun, 0);
    }
}

TEST_F(LoadSettingsTest, LongValuesComeBackCutTo126Characters) {
    load();
    const std::string longPath(200, 'p');
    write("ZIQ", "SAVEDFILEPATH", longPath);
    load();
    EXPECT_EQ(state.settings.savedFilePath, longPath.substr(0, 126));
}

TEST_F(LoadSettingsTest, CutNeverSplitsAUtf8Character) {
    load();
    write("ZIQ", "SAVEDFILEPATH", std::string(125, 'a') + "\xC3\xA9" + "tail");
    load();
    EXPECT_EQ(state.settings.savedFilePath, std::string(125, 'a'));
}

TEST(SettingsPath, RootFolderGetsNoDoubledSeparator) {
    AppInfo root;
    root.programDir = "/";
    EXPECT_EQ(settingsFilePath(root), "/ziq2.ini");
    AppInfo plain;
    plain.programDir = "/opt/ziq";
    EXPECT_EQ(settingsFilePath(plain), "/opt/ziq/ziq2.ini");
    EXPECT_EQ(withTrailingSeparator("/"), "/");
    EXPECT_EQ(withTrailingSeparator("/opt/ziq"), "/opt/ziq/");
}

} // namespace
} // namespace ziq
