#include "settings/load_settings.h"

#include "profile/profile_file.h"
#include "profile/profile_test_hooks.h"
#include "settings/program_state.h"
#include "settings/read_ini_value.h"
#include "settings/settings_paths.h"
#include "support/recording_message_boxes.h"
#include "support/temp_folder.h"
#include "support/line_ending.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ziq {
namespace {

namespace fs = std::filesystem;

using test::kEol;

// The file as it stands, with native line breaks read back as "\n".
std::string withLf(std::string text) {
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

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
    std::string dirWithSeparator() const { return folder.path().string() + kPathSeparator; }

    test::TempFolder folder;
    ProgramState state;
    test::RecordingMessageBoxes messages;
};

TEST_F(LoadSettingsTest, FirstRunWritesDefaultsInOrderAndWelcomesOnce) {
    load();
    const std::string dir = dirWithSeparator();
    EXPECT_EQ(slurp().find(kEol), std::string("[ZIQ]").size());
    EXPECT_EQ(withLf(slurp()),
              "[ZIQ]\nON=1\nBEEPON=1\nAUTOOOPENVIEWERS=0\nFREQUENCY=1\nAUTOSAVE=1\n"
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
    std::ofstream(iniPath(), std::ios::binary)
        << "; mine\n[ZIQ]\nFIRSTRUN=0\nON=0\nFREQUENCY=4\nCOLOUR=blue\n"
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
    const std::string expectedPath = state.app.programDir + kPathSeparator + "ziq2.ini";
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

TEST_F(LoadSettingsTest, FilesKeptOutsideTheProgramFolderAreWrittenAndNamedThere) {
    state.app.settingsDir = (folder.path() / "config").string();
    state.app.logDir = (folder.path() / "data").string();
    fs::create_directory(state.app.settingsDir);
    load();
    const std::string ini = state.app.settingsDir + kPathSeparator + "ziq2.ini";
    EXPECT_EQ(state.settings.iniPath, ini);
    EXPECT_EQ(ReadIniValue(kFirstRunKey, ini), "9");
    EXPECT_EQ(state.settings.savedFilePath, state.app.logDir + kPathSeparator);
    EXPECT_EQ(state.settings.linkSavedFilePath, state.app.logDir + kPathSeparator);
    EXPECT_FALSE(fs::exists(iniPath()));

    std::ofstream(folder.path() / "plain") << "x";
    state.app.settingsDir = (folder.path() / "plain" / "config").string();
    messages.shown.clear();
    load();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, "Error Writing to " + state.app.settingsDir + kPathSeparator +
                                          "ziq2.ini, make sure it is not write protected.");
}

TEST_F(LoadSettingsTest, LongValuesComeBackCutTo126Characters) {
    load();
    const std::string longPath(200, 'p');
    write("ZIQ", "SAVEDFILEPATH", longPath);
    load();
    EXPECT_EQ(state.settings.savedFilePath, longPath.substr(0, 126));
}

TEST_F(LoadSettingsTest, CutCountsCharactersSoNoneIsSplit) {
    load();
    write("ZIQ", "SAVEDFILEPATH", std::string(125, 'a') + "\xC3\xA9" + "tail");
    load();
    EXPECT_EQ(state.settings.savedFilePath, std::string(125, 'a') + "\xC3\xA9");
}

TEST_F(LoadSettingsTest, OddFilesLoadByTheProfileRules) {
    const std::string dir = dirWithSeparator();
    // Byte-order mark, CR-only lines, a duplicate section whose keys are never read.
    std::ofstream(iniPath(), std::ios::binary)
        << "\xEF\xBB\xBF[ZIQ]\rFIRSTRUN=9\rFREQUENCY=3\r[ziq]\rBEEPON=0\r[LINKCATCHER]\rON=0\r";
    load();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(state.settings.frequency, "3");
    EXPECT_EQ(state.settings.beepOn, "");
    EXPECT_EQ(state.settings.linkCatcherOn, "0");

    // Binary junk: no initialised marker, so the defaults are written after it.
    std::string junk(4096, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i) {
        junk[i] = static_cast<char>((i * 7919) % 256);
    }
    std::ofstream(iniPath(), std::ios::binary | std::ios::trunc) << junk;
    load();
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(state.settings.saveType, "3");
    EXPECT_EQ(state.settings.savedFilePath, dir);
}

// cmd's echo and PowerShell 5 write the ANSI code page, which Windows reads as such.
TEST_F(LoadSettingsTest, AFolderInTheAnsiCodePageIsReadOnWindows) {
    const std::string dir = dirWithSeparator();
    std::ofstream(iniPath(), std::ios::binary) << "[ZIQ]\r\nFIRSTRUN=9\r\nSAVEDFILEPATH=" << dir
                                               << "M\xFCller" << kPathSeparator << "\r\n";
    load();
    EXPECT_TRUE(messages.shown.empty());
#ifdef _WIN32
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the test's text is in code page 1252";
    }
    EXPECT_EQ(state.settings.savedFilePath, dir + "M\xC3\xBCller" + kPathSeparator);
#else
    EXPECT_EQ(state.settings.savedFilePath, dir + "M\xFCller" + kPathSeparator);
#endif
    // Whatever the text, its path is a path or none, never an exception.
    EXPECT_NO_THROW(filePath(state.settings.savedFilePath + "\xFF\xC3"));
    EXPECT_TRUE(filePath(state.settings.savedFilePath).is_absolute());
}

TEST_F(LoadSettingsTest, HugeFileLoads) {
    {
        std::ofstream out(iniPath(), std::ios::binary);
        out << "[ZIQ]\nFIRSTRUN=9\nSAVETYPE=2\n";
        const std::string filler =
            "[S" + std::string(60, 'x') + "]\nK=" + std::string(200, 'v') + "\n";
        for (int i = 0; i < 40000; ++i) {
            out << filler;
        }
        out << "[LINKCATCHER]\nSAVETYPE=1\n";
    }
    load();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(state.settings.saveType, "2");
    EXPECT_EQ(state.settings.linkSaveType, "1");
}

TEST_F(LoadSettingsTest, SettingsPathThatIsAFolderIsReportedNotFatal) {
    std::filesystem::create_directory(iniPath());
    load();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text,
              "Error Writing to " + iniPath() + ", make sure it is not write protected.");
    EXPECT_EQ(state.lastWriteResult, 0);
}

// A file that is there but cannot be read is no first run: nothing is written over it, the
// program runs with the defaults (or, reloading, with what it has) and says so.
TEST_F(LoadSettingsTest, AFileThatCannotBeReadIsKeptAndReported) {
    load();
    write("ZIQ", "SAVETYPE", "1");
    write("ZIQ", "HITNRUN", "1");
    const std::string before = slurp();
    const std::string error =
        "Error Writing to " + iniPath() + ", make sure it is not write protected.";
    for (const bool reload : {false, true}) {
        messages.shown.clear();
        state.settings = Settings{};
        state.settings.frequency = reload ? "4" : "";
        profile::testing::injectIoFailure(1); // the first read's open
        load();
        profile::testing::injectIoFailure(0);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, error);
        EXPECT_EQ(slurp(), before);
        EXPECT_EQ(state.settings.saveType, "3");
        EXPECT_EQ(state.settings.frequency, reload ? "4" : "1");
        EXPECT_EQ(state.settings.savedFilePath, dirWithSeparator());
        EXPECT_EQ(state.settings.hitAndRun, 0);
    }
}

#ifdef _WIN32
// Antivirus or a sync tool holds the file without sharing it for a moment at log-on.
TEST_F(LoadSettingsTest, AFileHeldByAnotherProgramIsWaitedFor) {
    load();
    write("ZIQ", "SAVETYPE", "1");
    const std::string before = slurp();
    const std::wstring path = fs::path(iniPath()).wstring();
    for (const int releasedAt : {3, 0}) {
        HANDLE held =
            CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        int pauses = 0;
        profile::testing::setRetryPause([&] {
            if (++pauses == releasedAt) {
                CloseHandle(held);
                held = INVALID_HANDLE_VALUE;
            }
        });
        messages.shown.clear();
        state.settings = Settings{};
        load();
        profile::testing::setRetryPause({});
        if (held != INVALID_HANDLE_VALUE) {
            CloseHandle(held);
        }
        SCOPED_TRACE(releasedAt);
        EXPECT_EQ(slurp(), before);
        if (releasedAt != 0) {
            EXPECT_EQ(pauses, releasedAt);
            EXPECT_TRUE(messages.shown.empty());
            EXPECT_EQ(state.settings.saveType, "1");
        } else {
            EXPECT_EQ(pauses, 20); // about a second, then the program runs without it
            EXPECT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(state.settings.saveType, "3");
        }
    }
}
#endif

TEST(SettingsPath, RootFolderGetsNoDoubledSeparator) {
#ifdef _WIN32
    const std::string root = "C:\\";
    const std::string folder = "C:\\Tools\\ZIQ";
#else
    const std::string root = "/";
    const std::string folder = "/opt/ziq";
#endif
    AppInfo atRoot;
    atRoot.programDir = root;
    EXPECT_EQ(settingsFilePath(atRoot), root + "ziq2.ini");
    AppInfo plain;
    plain.programDir = folder;
    EXPECT_EQ(settingsFilePath(plain), folder + kPathSeparator + "ziq2.ini");
    EXPECT_EQ(withTrailingSeparator(root), root);
    EXPECT_EQ(withTrailingSeparator(folder), folder + kPathSeparator);
}

} // namespace
} // namespace ziq
