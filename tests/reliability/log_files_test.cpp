// The files the program creates: names from the folder setting, the clock and fixed names
// only; the settings file keeps its permissions; folder settings that cannot work are
// reported, never a crash.

#include "capture/clipboard_log.h"
#include "links/link_log.h"
#include "settings/load_settings.h"
#include "settings/program_state.h"
#include "settings/save_options.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ziq {
namespace {

namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class LogFiles : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(logs);
        state.app.programDir = (folder.path() / "program").string();
        fs::create_directory(state.app.programDir);
        LoadSettings(state, messages);
        messages.shown.clear();
        state.settings.savedFilePath = logs.string() + kPathSeparator;
        state.settings.linkSavedFilePath = state.settings.savedFilePath;
    }
    void logBoth(const std::string& text) {
        writeClipboardLog(state, clock, messages, text);
        writeLinkLog(state, clock, messages, text);
    }

    test::TempFolder folder;
    fs::path logs = folder.path() / "logs";
    ProgramState state;
    test::FakeClock clock;
    test::RecordingMessageBoxes messages;
};

TEST_F(LogFiles, ClipboardContentNeverNamesAFile) {
    const std::string hostile[] = {"../../escaped",
                                   "/tmp/absolute",
                                   "C:\\Windows\\System32\\x",
                                   "name\n[LogEntry]\nTEXT=forged\n",
                                   std::string("nul\0inside", 10),
                                   "%s%n%x",
                                   "ziq.txt",
                                   std::string(5000, '/')};
    for (const char* saveType : {"1", "2", "3"}) {
        state.settings.saveType = saveType;
        state.settings.linkSaveType = saveType[0] == '3' ? "2" : saveType;
        for (const std::string& text : hostile) {
            logBoth(text);
            clock.time.second = (clock.time.second + 1) % 60;
        }
    }
    EXPECT_TRUE(messages.shown.empty());
    std::set<std::string> expected = {"ziq.txt", "20040125.txt", "ziqurl.txt", "u20040125.txt"};
    for (int second = 13; second < 21; ++second) {
        expected.insert("20040125_0930" + std::to_string(second) + ".txt");
    }
    EXPECT_EQ(namesIn(logs), expected);
    // Nothing beside or above the folder either.
    EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"logs", "program"}));
    EXPECT_EQ(namesIn(state.app.programDir), std::set<std::string>{"ziq2.ini"});
}

TEST_F(LogFiles, FolderSettingsThatCannotWorkAreReported) {
    std::ofstream(folder.path() / "plain file") << "not a folder";
    const std::string folders[] = {
        (folder.path() / "plain file").string() + kPathSeparator, // names a file
        (folder.path() / "missing").string() + kPathSeparator,    // does not exist
        "relative" + std::string(1, kPathSeparator),              // would land anywhere
        "",                                                       // no folder at all
    };
    for (const std::string& setting : folders) {
        SCOPED_TRACE(setting);
        for (const char* saveType : {"1", "2", "3"}) {
            state.settings.saveType = saveType;
            state.settings.linkSaveType = saveType[0] == '3' ? "1" : saveType;
            state.settings.savedFilePath = setting;
            state.settings.linkSavedFilePath = setting;
            messages.shown.clear();
            logBoth("text");
            ASSERT_EQ(messages.shown.size(), 2u);
            EXPECT_EQ(messages.shown[0].text.rfind("Error writing to: " + setting, 0), 0u);
            EXPECT_EQ(messages.shown[1].text.rfind("Error writing to: " + setting, 0), 0u);
            EXPECT_EQ(state.lastWriteResult, 0);
        }
    }
    EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"logs", "plain file", "program"}));
    EXPECT_FALSE(fs::exists("relative"));
    EXPECT_FALSE(fs::exists("ziq.txt"));
}

#ifndef _WIN32

mode_t modeOf(const fs::path& file) {
    struct stat info {};
    EXPECT_EQ(::stat(file.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST_F(LogFiles, SavingKeepsTheSettingsFilesPermissionsAndOwner) {
    const fs::path ini = fs::path(state.app.programDir) / "ziq2.ini";
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(ini.c_str(), 65534, 65534), 0);
    }
    const mode_t modes[] = {0640, 0604, 0600, 0664};
    for (int save = 0; save < 4; ++save) {
        const mode_t mode = modes[save];
        ASSERT_EQ(::chmod(ini.c_str(), mode), 0);
        OptionsChoice choice; // BEEPON and FREQUENCY change on every save
        choice.check[2] = save % 2 == 1;
        choice.option[save % 2 == 1 ? 4 : 2] = true;
        choice.option[8] = choice.option[10] = true;
        SaveOptions(state, messages, choice);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(modeOf(ini), mode);
        if (root) {
            struct stat info {};
            ASSERT_EQ(::stat(ini.c_str(), &info), 0);
            EXPECT_EQ(info.st_uid, 65534u);
            EXPECT_EQ(info.st_gid, 65534u);
        }
    }
    EXPECT_EQ(state.settings.frequency, "4");
}

TEST_F(LogFiles, LogsStayOwnerOnlyWhenAnEntryIsRewritten) {
    const mode_t old = ::umask(0);
    state.settings.saveType = "1";
    state.settings.linkSaveType = "1";
    logBoth("first");
    logBoth("second, same second: rewritten in place of the first");
    ::umask(old);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(modeOf(logs / "ziq.txt"), 0600u);
    EXPECT_EQ(modeOf(logs / "ziqurl.txt"), 0600u);
}

#endif

} // namespace
} // namespace ziq
