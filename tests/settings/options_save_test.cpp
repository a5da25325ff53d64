#include "settings/save_options.h"

#include "platform/system/app_info.h"
#include "settings/load_settings.h"
#include "settings/program_state.h"
#include "settings/read_ini_value.h"
#include "profile/profile_test_util.h"
#include "support/recording_message_boxes.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <vector>

namespace ziq {
namespace {

constexpr const char* kSaveError =
    "Error saving settings, make sure ini file is not write protected";

using Write = std::tuple<std::string, std::string, std::string>; // section, key, value

class SaveOptionsTest : public testing::Test {
protected:
    void SetUp() override {
        state.app.programDir = folder.path().string();
        LoadSettings(state, messages); // an initialised file with the defaults
        messages.shown.clear();
    }

    std::string iniPath() const { return (folder.path() / "ziq2.ini").string(); }
    std::string stored(const char* section, const char* key) const {
        return ReadIniValue(section, key, iniPath());
    }

    // Records every write; the writes whose keys are in `failing` fail, the others reach the
    // real file.
    SettingWriter recorder(std::set<std::string> failing = {}) {
        return [this, failing](std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path) {
            resultSeenBefore.push_back(state.lastWriteResult);
            writes.emplace_back(section, key, value);
            const std::string name = std::string(section) + "/" + std::string(key);
            return failing.count(name) == 0 && writeSetting(section, key, value, path);
        };
    }

    static OptionsChoice choiceOf(std::initializer_list<int> checked,
                                  std::initializer_list<int> selected) {
        OptionsChoice choice;
        for (int n : checked) {
            choice.check[n] = true;
        }
        for (int n : selected) {
            choice.option[n] = true;
        }
        return choice;
    }

    test::TempFolder folder;
    ProgramState state;
    test::RecordingMessageBoxes messages;
    std::vector<Write> writes;
    std::vector<std::int16_t> resultSeenBefore;
};

TEST_F(SaveOptionsTest, WritesEveryKeyInOrderAndFolderKeysOnlyOnceChosen) {
    state.browse.logPathChanged = 1;
    state.browse.linkLogPathChanged = 1;
    state.browse.pendingLogPath = "/data/logs";
    const std::string root(1, kPathSeparator);
    state.browse.pendingLinkLogPath = root;
    const OptionsChoice choice = choiceOf({1, 3, 6, 8}, {2, 7, 10});
    SaveOptions(state, messages, choice, recorder());

    const std::vector<Write> expected = {
        {"ZIQ", "ON", "1"},
        {"ZIQ", "BEEPON", "0"},
        {"ZIQ", "AUTOOOPENVIEWERS", "1"},
        {"ZIQ", "FREQUENCY", "2"},
        {"ZIQ", "AUTOSAVE", "0"},
        {"ZIQ", "SAVEDFILEPATH", std::string("/data/logs") + kPathSeparator},
        {"ZIQ", "SAVETYPE", "2"},
        {"ZIQ", "HITNRUN", "0"},
        {"LINKCATCHER", "ON", "0"},
        {"LINKCATCHER", "STRICTURLS", "1"},
        {"LINKCATCHER", "AUTOSAVE", "1"},
        {"LINKCATCHER", "SAVETYPE", "2"},
        {"LINKCATCHER", "linkcatcherSAVEDFILEPATH", root},
    };
    EXPECT_EQ(writes, expected);
    // The separator stays in the pending path; a root keeps its single one.
    EXPECT_EQ(state.browse.pendingLogPath, std::string("/data/logs") + kPathSeparator);
    EXPECT_EQ(state.browse.pendingLinkLogPath, root);
    EXPECT_EQ(state.browse.logPathChanged, 1);
    EXPECT_TRUE(messages.shown.empty());

    // The first save type button writes before the folder, and without a chosen folder
    // neither folder key is written.
    writes.clear();
    state.browse.logPathChanged = 0;
    state.browse.linkLogPathChanged = 0;
    SaveOptions(state, messages, choiceOf({7}, {5, 6, 9}), recorder());
    const std::vector<Write> second = {
        {"ZIQ", "ON", "0"},
        {"ZIQ", "BEEPON", "0"},
        {"ZIQ", "AUTOOOPENVIEWERS", "0"},
        {"ZIQ", "FREQUENCY", "5"},
        {"ZIQ", "AUTOSAVE", "0"},
        {"ZIQ", "SAVETYPE", "1"},
        {"ZIQ", "HITNRUN", "1"},
        {"LINKCATCHER", "ON", "0"},
        {"LINKCATCHER", "STRICTURLS", "0"},
        {"LINKCATCHER", "AUTOSAVE", "0"},
        {"LINKCATCHER", "SAVETYPE", "1"},
    };
    EXPECT_EQ(writes, second);
    EXPECT_EQ(stored("ZIQ", "FIRSTRUN"), "9");
}

TEST_F(SaveOptionsTest, EachWriteRecordsItsResultAndAnyLostKeyWarnsOnce) {
    const OptionsChoice choice = choiceOf({1}, {1, 8, 10});

    // Writes before the last fail: the keys they lost are told of, once.
    SaveOptions(
        state, messages, choice,
        recorder({"ZIQ/ON", "ZIQ/BEEPON", "ZIQ/FREQUENCY", "ZIQ/HITNRUN", "LINKCATCHER/AUTOSAVE"}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kSaveError);
    EXPECT_EQ(state.lastWriteResult, 1);
    messages.shown.clear();
    // What each write found is what the one before it left.
    ASSERT_EQ(resultSeenBefore.size(), writes.size());
    EXPECT_EQ(resultSeenBefore[1], 0); // after ON failed
    EXPECT_EQ(resultSeenBefore[2], 0); // after BEEPON failed
    EXPECT_EQ(resultSeenBefore[3], 1); // after AUTOOOPENVIEWERS succeeded

    // Only the last write fails: one warning, then the settings are read again.
    writes.clear();
    state.settings.clipboardOn = "junk";
    SaveOptions(state, messages, choice, recorder({"LINKCATCHER/SAVETYPE"}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kSaveError);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(messages.shown[0].caption, "ZIQ2");
    EXPECT_EQ(state.lastWriteResult, 0);
    EXPECT_EQ(state.settings.clipboardOn, "1");

    // Every write fails: still one warning per save.
    messages.shown.clear();
    state.browse.logPathChanged = 1;
    state.browse.pendingLogPath = "/x";
    std::set<std::string> all;
    for (const auto& [section, key, value] : writes) {
        all.insert(section + "/" + key);
    }
    all.insert("ZIQ/SAVEDFILEPATH");
    state.settings.frequency = "junk";
    SaveOptions(state, messages, choiceOf({}, {5, 6, 9}), recorder(all));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kSaveError);
    // The program goes on with what the file still holds.
    EXPECT_EQ(state.settings.frequency, "1");
    EXPECT_EQ(stored("ZIQ", "FREQUENCY"), "1");
}

#ifndef _WIN32
// Root writes anywhere (CI runs as root): the save runs in a child that has given up its
// rights, in a folder of its own, so that only the file's mode can stop the writes.
TEST_F(SaveOptionsTest, ReadOnlyFileWarnsOnceAlsoWhenNothingChanged) {
    const OptionsChoice unchanged = choiceOf({1, 2, 4, 5, 6, 8}, {1, 8, 10}); // the defaults
    const std::string before = test::readFile(iniPath());
    SaveOptions(state, messages, unchanged);
    ASSERT_EQ(test::readFile(iniPath()), before) << "the choice differs from the file";
    ASSERT_TRUE(messages.shown.empty());
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(folder.path().c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chown(iniPath().c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(iniPath().c_str(), 0444), 0);
    EXPECT_TRUE(profile::test::runUnprivileged([&] {
        SaveOptions(state, messages, unchanged);
        return ::access(iniPath().c_str(), W_OK) != 0 && messages.shown.size() == 1 &&
               messages.shown[0].text == kSaveError;
    }));
    EXPECT_EQ(test::readFile(iniPath()), before);
}
#endif

TEST_F(SaveOptionsTest, EmptyPendingFolderIsNotWrittenAsTheRoot) {
    const std::string before = stored("ZIQ", "SAVEDFILEPATH");
    state.browse.logPathChanged = 1;
    state.browse.pendingLogPath.clear();
    SaveOptions(state, messages, choiceOf({}, {1, 8, 10}), recorder());
    for (const auto& [section, key, value] : writes) {
        EXPECT_NE(key, "SAVEDFILEPATH");
    }
    EXPECT_EQ(stored("ZIQ", "SAVEDFILEPATH"), before);
}

} // namespace
} // namespace ziq
