#include "capture/clipboard_log.h"

#include "platform/system/app_info.h"
#include "settings/program_state.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"
#include "support/line_ending.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ziq {
namespace {

namespace fs = std::filesystem;

using test::kEol;

class ClipboardLogTest : public testing::Test {
protected:
    void SetUp() override {
        state.settings.autoSave = "1";
        state.settings.saveType = "3";
        state.settings.savedFilePath = folder.path().string() + kPathSeparator;
        clock.time = {2005, 1, 1, 0, 0, 5};
    }
    void log(std::string_view text) { writeClipboardLog(state, clock, messages, text); }
    std::string logFile(const std::string& name) const {
        return test::readFile(folder.path() / name);
    }
    static std::string entry(const std::string& section, const std::string& value) {
        return "[" + section + "]" + kEol + "TEXT=" + value + kEol;
    }
    std::size_t filesInFolder() const {
        return std::size_t(std::distance(fs::directory_iterator(folder.path()), {}));
    }

    test::TempFolder folder;
    ProgramState state;
    test::FakeClock clock;
    test::RecordingMessageBoxes messages;
};

TEST_F(ClipboardLogTest, EachSchemeWritesOneEntryUnderPaddedStamps) {
    state.settings.saveType = "1";
    log("one");
    EXPECT_EQ(logFile("ziq.txt"), entry("20050101000005", "one"));
    EXPECT_EQ(state.settings.iniPath, (folder.path() / "ziq.txt").string());

    state.settings.saveType = "2";
    log("two");
    EXPECT_EQ(logFile("20050101_000005.txt"), entry("LogEntry", "two"));

    state.settings.saveType = "3";
    log("three");
    EXPECT_EQ(logFile("20050101.txt"), entry("20050101000005", "three"));

    EXPECT_EQ(filesInFolder(), 3u);
    EXPECT_EQ(state.lastWriteResult, 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ClipboardLogTest, LaterCapturesAddSectionsAndTheSameSecondReplaces) {
    state.settings.saveType = "1";
    log("first");
    clock.time.second = 6;
    log("second");
    log("third, same second");
    EXPECT_EQ(logFile("ziq.txt"),
              entry("20050101000005", "first") + entry("20050101000006", "third, same second"));

    state.settings.saveType = "2";
    log("a");
    log("b");
    EXPECT_EQ(logFile("20050101_000006.txt"), entry("LogEntry", "b"));
}

TEST_F(ClipboardLogTest, ValueGoesInRawWithLineBreaksNulsAndAnyBytes) {
    const std::string text = std::string("line 1\nline 2 \xc3\xa9\0 after nul =;[x]", 31);
    log(text);
    EXPECT_EQ(logFile("20050101.txt"), entry("20050101000005", text));
}

TEST_F(ClipboardLogTest, AutoSaveAndSchemeAreNumbers) {
    state.settings.autoSave = "0";
    state.settings.savedFilePath = (folder.path() / "missing" / "").string();
    log("not logged");
    EXPECT_TRUE(messages.shown.empty());

    // Not a number: the guarded step runs, so the first scheme is taken.
    state.settings.savedFilePath = folder.path().string() + kPathSeparator;
    state.settings.autoSave = "yes";
    state.settings.saveType = "daily";
    log("logged");
    EXPECT_EQ(logFile("ziq.txt"), entry("20050101000005", "logged"));
    state.settings.autoSave = " 1 ";
    state.settings.saveType = "2.0";
    log("as numbers");
    EXPECT_EQ(logFile("20050101_000005.txt"), entry("LogEntry", "as numbers"));

    state.settings.autoSave = "1";
    state.settings.saveType = "4";
    state.lastWriteResult = 0; // an older failure elsewhere is not reported again
    log("no scheme");
    state.settings.saveType = "2.5";
    log("no scheme either");
    EXPECT_EQ(filesInFolder(), 2u);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ClipboardLogTest, FolderWithoutSeparatorIsAFileNamePrefix) {
    fs::create_directory(folder.path() / "logs");
    state.settings.savedFilePath = (folder.path() / "logs").string();
    log("beside");
    EXPECT_EQ(logFile("logs20050101.txt"), entry("20050101000005", "beside"));
}

TEST_F(ClipboardLogTest, MissingFolderIsReportedWithThePath) {
    state.settings.saveType = "1";
    state.settings.savedFilePath = (folder.path() / "gone").string() + kPathSeparator;
    state.lastWriteResult = 1;
    log("lost?");
    const std::string file = state.settings.savedFilePath + "ziq.txt";
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Error writing to: " + file +
                  ". Be sure file is not protected, the clipboard text is not too big, and that "
                  "the file size is not too large.");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].caption, "ZIQ2");
    EXPECT_EQ(state.lastWriteResult, 0);
    EXPECT_FALSE(fs::exists(folder.path() / "gone"));
}

#ifndef _WIN32

TEST_F(ClipboardLogTest, NewLogFilesAreForTheOwnerOnly) {
    const mode_t old = ::umask(0);
    log("private");
    state.settings.saveType = "2";
    log("private too");
    ::umask(old);
    for (const char* name : {"20050101.txt", "20050101_000005.txt"}) {
        struct stat info {};
        ASSERT_EQ(::stat((folder.path() / name).c_str(), &info), 0) << name;
        EXPECT_EQ(info.st_mode & 07777, 0600u) << name;
    }
}

TEST_F(ClipboardLogTest, ReadOnlyFolderAndFileAreReportedAndLeftAlone) {
    const fs::path locked = folder.path() / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    const fs::path open = folder.path() / "open";
    fs::create_directory(open);
    fs::permissions(open, fs::perms::all);
    state.settings.saveType = "1";
    { std::ofstream(open / "ziq.txt", std::ios::binary) << "[old]\nTEXT=kept\n"; }
    fs::permissions(open / "ziq.txt",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    for (const fs::path& where : {locked, open}) {
        state.settings.savedFilePath = where.string() + kPathSeparator;
        const std::string file = state.settings.savedFilePath + "ziq.txt";
        // Root writes anywhere: the write runs as a user without its privileges.
        EXPECT_TRUE(test::runUnprivileged([&] {
            log("must not land");
            return messages.shown.size() == 1 &&
                   messages.shown[0].text.find(file) != std::string::npos &&
                   state.lastWriteResult == 0;
        })) << where;
    }
    EXPECT_FALSE(fs::exists(locked / "ziq.txt"));
    EXPECT_EQ(logFile("open/ziq.txt"), "[old]\nTEXT=kept\n");
}

#endif

} // namespace
} // namespace ziq
