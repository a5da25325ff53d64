#include "history_test_util.h"

#include "history/entry_delete.h"
#include "history/entry_id.h"
#include "profile/profile_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

namespace ziq::history {
namespace {

// Deleting while ZIQ2 writes the same day file: every entry written and not deleted is there.
TEST(HistoryDelete, LosesNothingThatIsWrittenMeanwhile) {
    test::HistoryFolders logs;
    const std::filesystem::path day = logs.clips / "20240125.txt";
    constexpr int kWrites = 400;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < kWrites; ++i) {
            const std::string section = std::to_string(20240125000000LL + i);
            if (!profile::writeString(section, "TEXT", "entry " + std::to_string(i), day)) {
                ADD_FAILURE() << "write " << i << " failed";
                break;
            }
        }
        done = true;
    });
    std::set<std::string> deleted;
    // Bounded, so a delete that never succeeds fails the test instead of hanging it.
    for (int round = 0; (!done || deleted.empty()) && round < 20000; ++round) {
        std::string oldestId;
        std::string oldestText;
        scanHistory(logs.folders, {}, [&](const Entry& entry, LogReader& reader) {
            oldestId = entryId(entry, reader);
            oldestText = std::string(entry.text);
            return true;
        });
        if (!oldestId.empty() && deleteEntry(logs.folders, oldestId) == DeleteStatus::Deleted) {
            EXPECT_TRUE(deleted.insert(oldestText).second);
        }
    }
    writer.join();
    EXPECT_FALSE(deleted.empty());
    std::set<std::string> left;
    for (const std::string& line : test::scanned(logs.folders)) {
        left.insert(line.substr(line.find('|') + 1));
    }
    EXPECT_EQ(left.size() + deleted.size(), static_cast<std::size_t>(kWrites));
    for (const std::string& text : deleted) {
        EXPECT_FALSE(left.contains(text)) << text;
    }
    EXPECT_EQ(deleteEntry(logs.folders, "c-20240125-0-000000000000"), DeleteStatus::NotFound);
    EXPECT_EQ(deleteEntry(logs.folders, "nonsense"), DeleteStatus::BadId);
}

} // namespace
} // namespace ziq::history
