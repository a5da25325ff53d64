#include "links/link_log.h"

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
using namespace std::string_literals;

using test::kEol;

// A new profile file's lines, each ended the platform's way.
std::string lines(std::initializer_list<std::string> all) {
    std::string text;
    for (const std::string& line : all) {
        text += line + kEol;
    }
    return text;
}

std::string errorText(const std::string& file) {
    return "Error writing to: " + file +
           ". Be sure file is not protected, the clipboard text is not too big, and that the "
           "file size is not too large.";
}

class LinkLogTest : public testing::Test {
protected:
    void SetUp() override {
        state.settings.linkAutoSave = "1";
        state.settings.linkSaveType = "1";
        state.settings.linkSavedFilePath = folderText();
    }
    std::string folderText() const { return folder.path().string() + "/"; }
    void log(std::string_view text) { writeLinkLog(state, clock, messages, text); }
    std::string slurp(const std::string& name) const {
        return test::readFile(folder.path() / name);
    }
    std::size_t fileCount() const {
        return std::size_t(std::distance(fs::directory_iterator(folder.path()), {}));
    }

    test::TempFolder folder;
    ProgramState state;
    test::RecordingMessageBoxes messages;
    test::FakeClock clock;
};

TEST_F(LinkLogTest, SchemeOneKeepsADaySectionAndATimeKeyInOneFile) {
    log("http://Example.com/A");
    clock.time = {2004, 1, 25, 9, 31, 0};
    log("www.example.org");
    clock.time = {2004, 1, 26, 0, 0, 1};
    log("ftp.example.net");
    EXPECT_EQ(slurp("ziqurl.txt"),
              lines({"[20040125]", "093005=http://Example.com/A", "093100=www.example.org",
                     "[20040126]", "000001=ftp.example.net"}));
    EXPECT_EQ(state.lastWriteResult, 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fileCount(), 1u);
}

TEST_F(LinkLogTest, SchemeTwoKeepsOneFilePerDayAnHourSectionAndAMinuteSecondKey) {
    state.settings.linkSaveType = "2";
    log("http://a");
    clock.time = {2004, 1, 25, 10, 0, 9};
    log("http://b");
    clock.time = {2005, 1, 1, 0, 0, 5};
    log("http://c");
    EXPECT_EQ(slurp("u20040125.txt"), lines({"[09]", "3005=http://a", "[10]", "0009=http://b"}));
    EXPECT_EQ(slurp("u20050101.txt"), lines({"[00]", "0005=http://c"}));
    EXPECT_EQ(fileCount(), 2u);
    EXPECT_EQ(state.lastWriteResult, 1);
}

TEST_F(LinkLogTest, EveryLineBreakIsTakenOut) {
    log("first\r\nsecond");
    EXPECT_EQ(slurp("ziqurl.txt"), lines({"[20040125]", "093005=firstsecond"}));

    // Lone breaks too: a line of its own starting with "[" would read as a section header.
    state.settings.linkSaveType = "2";
    log("a\n[b]\rc\r\r\n\nd");
    EXPECT_EQ(slurp("u20040125.txt"), lines({"[09]", "3005=a[b]cd"}));
}

TEST_F(LinkLogTest, TwoCatchesInOneSecondLeaveTheLaterOne) {
    log("http://first");
    log("http://second");
    EXPECT_EQ(slurp("ziqurl.txt"), lines({"[20040125]", "093005=http://second"}));
    state.settings.linkSaveType = "2";
    log("http://first");
    log("http://second");
    EXPECT_EQ(slurp("u20040125.txt"), lines({"[09]", "3005=http://second"}));
}

class TickingClock final : public Clock {
public:
    LocalDateTime now() const override {
        ++reads;
        return reads == 1 ? LocalDateTime{2004, 1, 25, 23, 59, 59}
                          : LocalDateTime{2004, 1, 26, 0, 0, 0};
    }
    mutable int reads = 0;
};

TEST_F(LinkLogTest, OneClockReadingPerEntryEvenAcrossMidnight) {
    TickingClock ticking;
    writeLinkLog(state, ticking, messages, "http://late");
    EXPECT_EQ(ticking.reads, 1);
    EXPECT_EQ(slurp("ziqurl.txt"), lines({"[20040125]", "235959=http://late"}));
}

TEST_F(LinkLogTest, AMissingFolderIsReportedWithTheFullPathAndTheNextCatchTriesAgain) {
    const fs::path missing = folder.path() / "gone";
    state.settings.linkSavedFilePath = missing.string() + "/";
    state.settings.linkSaveType = "2";
    log("http://a");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, errorText(missing.string() + "/u20040125.txt"));
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].caption, "ZIQ2");
    EXPECT_EQ(state.lastWriteResult, 0);
    EXPECT_FALSE(fs::exists(missing));

    fs::create_directory(missing);
    clock.time.second = 6;
    log("http://b");
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(state.lastWriteResult, 1);
    EXPECT_EQ(test::readFile(missing / "u20040125.txt"), lines({"[09]", "3006=http://b"}));
}

TEST_F(LinkLogTest, AFileInPlaceOfTheFolderFailsEvenForRoot) {
    const fs::path blocker = folder.path() / "blocker";
    std::ofstream(blocker) << "not a folder";
    state.settings.linkSavedFilePath = blocker.string() + "/";
    log("http://a");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, errorText(blocker.string() + "/ziqurl.txt"));
    EXPECT_EQ(state.lastWriteResult, 0);
}

#ifndef _WIN32
// Root writes anywhere, so the write runs in a child that has given up its privileges.
TEST_F(LinkLogTest, AReadOnlyFolderIsReportedForAnUnprivilegedUser) {
    const fs::path locked = folder.path() / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    fs::permissions(folder.path(), fs::perms::others_exec, fs::perm_options::add);
    state.settings.linkSavedFilePath = locked.string() + "/";
    const std::string expected = errorText(locked.string() + "/ziqurl.txt");
    EXPECT_TRUE(test::runUnprivileged([&] {
        log("http://a");
        return messages.shown.size() == 1 && messages.shown[0].text == expected &&
               state.lastWriteResult == 0 && !fs::exists(locked / "ziqurl.txt");
    }));
}
#endif

TEST_F(LinkLogTest, ARelativeFolderIsRefusedLikeAnUnwritableOne) {
    state.settings.linkSavedFilePath = "";
    log("http://a");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, errorText("ziqurl.txt"));
    EXPECT_EQ(state.lastWriteResult, 0);
    EXPECT_FALSE(fs::exists("ziqurl.txt"));
}

TEST_F(LinkLogTest, AFolderWithoutItsSeparatorPrefixesTheFileName) {
    state.settings.linkSavedFilePath = (folder.path() / "logs").string();
    log("http://a");
    EXPECT_EQ(slurp("logsziqurl.txt"), lines({"[20040125]", "093005=http://a"}));
}

TEST_F(LinkLogTest, AutoSaveOffWritesNothingAndReportsNothing) {
    state.settings.linkSavedFilePath = (folder.path() / "gone").string() + "/";
    for (const char* off : {"0", "2", "-1", " 0 "}) {
        state.settings.linkAutoSave = off;
        state.lastWriteResult = 7;
        log("http://a");
        EXPECT_EQ(state.lastWriteResult, 7) << off;
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fileCount(), 0u);
}

TEST_F(LinkLogTest, AutoSaveThatIsNotANumberStillLogs) {
    for (const char* odd : {"", "yes"}) {
        state.settings.linkAutoSave = odd;
        fs::remove(folder.path() / "ziqurl.txt");
        log("http://a");
        EXPECT_EQ(slurp("ziqurl.txt"), lines({"[20040125]", "093005=http://a"}))
            << '"' << odd << '"';
    }
}

TEST_F(LinkLogTest, OtherSchemeNumbersWriteNothingAndAWordMeansSchemeOne) {
    state.settings.linkSavedFilePath = (folder.path() / "gone").string() + "/";
    for (const char* none : {"3", "0", "-1", "1.5", "4"}) {
        state.settings.linkSaveType = none;
        log("http://a");
    }
    EXPECT_TRUE(messages.shown.empty());

    state.settings.linkSavedFilePath = folderText();
    state.settings.linkSaveType = "daily";
    log("http://a");
    EXPECT_EQ(slurp("ziqurl.txt"), lines({"[20040125]", "093005=http://a"}));
    state.settings.linkSaveType = " 2.0 ";
    log("http://b");
    EXPECT_EQ(slurp("u20040125.txt"), lines({"[09]", "3005=http://b"}));
}

#ifndef _WIN32
TEST_F(LinkLogTest, NewLogFilesAreForTheirOwnerOnly) {
    log("http://private");
    struct stat info {};
    ASSERT_EQ(::stat((folder.path() / "ziqurl.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
}
#endif

TEST_F(LinkLogTest, NulAndNonAsciiTextIsKeptWhole) {
    const std::string text = "http://x\0y/\xc4\xb0stanbul/stra\xc3\x9f"
                             "e"s;
    log(text);
    EXPECT_EQ(slurp("ziqurl.txt"), lines({"[20040125]", "093005=" + text}));
}

} // namespace
} // namespace ziq
