// Writes that fail half-way, through the profile module's I/O seam and on a real file system
// that runs full: the old file stays as it was, the user gets the failure message.

#include "capture/clipboard_log.h"
#include "links/link_log.h"
#include "profile/profile_test_hooks.h"
#include "settings/load_settings.h"
#include "settings/program_state.h"
#include "settings/save_options.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iostream>

#ifndef _WIN32
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace ziq {
namespace {

namespace fs = std::filesystem;
namespace hooks = profile::testing;

constexpr const char* kSaveError =
    "Error saving settings, make sure ini file is not write protected";

std::string writeError(const fs::path& file) {
    return "Error writing to: " + file.string() +
           ". Be sure file is not protected, the clipboard text is not too big, and that the file "
           "size is not too large.";
}

std::size_t filesIn(const fs::path& folder) {
    return std::size_t(std::distance(fs::directory_iterator(folder), {}));
}

// The program state of a program whose folder holds an initialised settings file and whose
// logs (both) go to the same folder.
class Faults : public testing::Test {
public:
    void SetUp() override {
        state.app.programDir = folder.path().string();
        LoadSettings(state, messages);
        state.settings.savedFilePath = folder.path().string() + kPathSeparator;
        state.settings.linkSavedFilePath = state.settings.savedFilePath;
        state.settings.saveType = "1";
        state.settings.linkSaveType = "1";
        messages.shown.clear();
    }
    void TearDown() override { hooks::injectIoFailure(0); }

    fs::path file(const std::string& name) const { return folder.path() / name; }

    test::TempFolder folder;
    ProgramState state;
    test::FakeClock clock;
    test::RecordingMessageBoxes messages;
};

// Makes the n-th file-system call of `write` fail; true when the write got that far.
bool failingCall(std::uint64_t n, const std::function<void()>& write) {
    hooks::injectIoFailure(n);
    write();
    const bool fired = hooks::injectedFailureHappened();
    hooks::injectIoFailure(0);
    return fired;
}

struct Scenario {
    const char* name;
    std::function<void(Faults&)> prepare;              // the files before the write
    std::function<bool(Faults&, std::uint64_t n)> act; // the write, failing at call n
    std::string file;                                  // the file it writes
    std::string message;                               // what a failure shows
};

// Fails the n-th file-system call of the write, for every n until the write no longer
// reaches that call; returns how many faults were injected.
int failEveryCall(Faults& t, const Scenario& s) {
    int injected = 0;
    for (std::uint64_t n = 1; n < 400; ++n) {
        for (const auto& entry : fs::directory_iterator(t.folder.path())) {
            fs::remove_all(entry.path());
        }
        s.prepare(t);
        const fs::path target = t.file(s.file);
        const bool existed = fs::exists(target);
        const std::string before = existed ? test::readFile(target) : std::string();
        const std::size_t filesBefore = filesIn(t.folder.path());
        t.messages.shown.clear();
        if (!s.act(t, n)) {
            EXPECT_TRUE(t.messages.shown.empty()) << s.name;
            EXPECT_EQ(t.state.lastWriteResult, 1) << s.name;
            return injected;
        }
        ++injected;
        if (t.messages.shown.empty()) {
            continue; // a failure after the new content was in place may be shrugged off
        }
        SCOPED_TRACE(std::string(s.name) + ", failing call " + std::to_string(n));
        EXPECT_EQ(t.messages.shown.size(), 1u);
        EXPECT_EQ(t.messages.shown[0].text, s.message);
        EXPECT_EQ(fs::exists(target), existed);
        EXPECT_EQ(existed ? test::readFile(target) : std::string(), before);
        EXPECT_EQ(filesIn(t.folder.path()), filesBefore) << "a temporary file was left";
    }
    ADD_FAILURE() << s.name << ": the write never got past its injected faults";
    return injected;
}

TEST_F(Faults, AWriteFailingAtAnyCallLeavesTheOldFileAndReports) {
    const Scenario scenarios[] = {
        {"clipboard log, new file", [](Faults&) {},
         [](Faults& t, std::uint64_t n) {
             return failingCall(n, [&] { writeClipboardLog(t.state, t.clock, t.messages, "one"); });
         },
         "ziq.txt", writeError(file("ziq.txt"))},
        {"clipboard log, appended",
         [](Faults& t) { std::ofstream(t.file("ziq.txt")) << "[20040125093000]\nTEXT=earlier\n"; },
         [](Faults& t, std::uint64_t n) {
             return failingCall(n, [&] { writeClipboardLog(t.state, t.clock, t.messages, "two"); });
         },
         "ziq.txt", writeError(file("ziq.txt"))},
        {"clipboard log, same second rewritten",
         [](Faults& t) {
             std::ofstream(t.file("ziq.txt"))
                 << "[20040125093005]\nTEXT=replaced\n[20040125093010]\nTEXT=later\n";
         },
         [](Faults& t, std::uint64_t n) {
             return failingCall(n, [&] { writeClipboardLog(t.state, t.clock, t.messages, "new"); });
         },
         "ziq.txt", writeError(file("ziq.txt"))},
        {"link log, appended",
         [](Faults& t) { std::ofstream(t.file("ziqurl.txt")) << "[20040125]\n090000=http://a\n"; },
         [](Faults& t, std::uint64_t n) {
             return failingCall(n, [&] { writeLinkLog(t.state, t.clock, t.messages, "http://b"); });
         },
         "ziqurl.txt", writeError(file("ziqurl.txt"))},
        {"settings saved, the last write failing",
         [](Faults& t) { LoadSettings(t.state, t.messages); },
         [](Faults& t, std::uint64_t n) {
             // What the file holds already, but for the link log's scheme (2 -> 1): the
             // writes before the last change nothing on disk.
             OptionsChoice choice;
             for (const int held : {1, 2, 4, 5, 6, 8}) {
                 choice.check[held] = true;
             }
             choice.option[1] = choice.option[8] = choice.option[9] = true;
             bool fired = false;
             SaveOptions(t.state, t.messages, choice,
                         [&](std::string_view section, std::string_view key, std::string_view value,
                             const std::string& path) {
                             bool ok = false;
                             auto write = [&] { ok = writeSetting(section, key, value, path); };
                             // The link log's scheme is the last key a save writes here.
                             if (section == "LINKCATCHER" && key == "SAVETYPE") {
                                 fired = failingCall(n, write);
                             } else {
                                 write();
                             }
                             return ok;
                         });
             return fired;
         },
         "ziq2.ini", kSaveError},
    };
    int injected = 0;
    for (const Scenario& s : scenarios) {
        injected += failEveryCall(*this, s);
    }
    std::cout << "[ figures  ] faults injected into log and settings writes: " << injected
              << std::endl;
    EXPECT_GT(injected, 40);
}

} // namespace
} // namespace ziq
