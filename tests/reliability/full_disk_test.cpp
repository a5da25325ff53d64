// A real file system that runs full: a small tmpfs mounted for the test (root only, which
// CI is). Writes that need space fail part-way and must leave every file as it was.

#include "capture/clipboard_log.h"
#include "links/link_log.h"
#include "settings/load_settings.h"
#include "settings/program_state.h"
#include "settings/save_options.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace ziq {
namespace {

#ifndef _WIN32

namespace fs = std::filesystem;

class FullDisk : public testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "mounting a small file system needs root";
        }
        ASSERT_EQ(::mount("ziq-full-disk", folder.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                          "size=256k,mode=0755"),
                  0)
            << std::strerror(errno);
        mounted = true;
        state.app.programDir = folder.path().string();
        LoadSettings(state, messages); // first run: the defaults, both logs in this folder
        state.settings.saveType = "1";
        state.settings.linkSaveType = "1";
        messages.shown.clear();
        std::ofstream(folder.path() / "ziq.txt", std::ios::binary)
            << "[20040125093000]\nTEXT=before the disk ran full\n";
    }
    void TearDown() override {
        if (mounted) {
            ::umount2(folder.path().c_str(), MNT_DETACH);
        }
    }

    // Takes every free block of the file system.
    void fill() {
        const int handle =
            ::open((folder.path() / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(handle, 0);
        const std::string block(4096, 'f');
        while (::write(handle, block.data(), block.size()) > 0) {
        }
        ::close(handle);
    }

    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> contents;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            if (entry.path().filename() != "filler") {
                contents[entry.path().filename().string()] = test::readFile(entry.path());
            }
        }
        return contents;
    }

    test::TempFolder folder;
    bool mounted = false;
    ProgramState state;
    test::FakeClock clock;
    test::RecordingMessageBoxes messages;
};

TEST_F(FullDisk, LogsAndSettingsStayAsTheyWereAndEachFailureIsReported) {
    fill();
    const auto before = files();
    const std::string folderText = folder.path().string() + "/";

    // An append that gets part of the way: the disk fills in the middle of the entry.
    writeClipboardLog(state, clock, messages, std::string(64 * 1024, 'x'));
    // A new file.
    writeLinkLog(state, clock, messages, "http://example.com/full");
    // Rewrites of the settings file, through a temporary file that cannot be written.
    OptionsChoice choice;
    choice.option[3] = choice.option[7] = choice.option[9] = true; // all three change
    SaveOptions(state, messages, choice);

    EXPECT_EQ(files(), before);
    ASSERT_EQ(messages.shown.size(), 3u);
    const std::string tail = ". Be sure file is not protected, the clipboard text is not too big, "
                             "and that the file size is not too large.";
    EXPECT_EQ(messages.shown[0].text, "Error writing to: " + folderText + "ziq.txt" + tail);
    EXPECT_EQ(messages.shown[1].text, "Error writing to: " + folderText + "ziqurl.txt" + tail);
    EXPECT_EQ(messages.shown[2].text,
              "Error saving settings, make sure ini file is not write protected");
    EXPECT_EQ(state.settings.frequency, "1") << "the reload reads the file as it still is";

    // Room again: the same writes go through.
    fs::remove(folder.path() / "filler");
    messages.shown.clear();
    state.settings.saveType = "1"; // the reload brought back the file's scheme
    writeClipboardLog(state, clock, messages, "after room was made");
    SaveOptions(state, messages, choice);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_NE(test::readFile(folder.path() / "ziq.txt").find("TEXT=after room was made"),
              std::string::npos);
    EXPECT_EQ(state.settings.frequency, "3");
}

#endif

} // namespace
} // namespace ziq
