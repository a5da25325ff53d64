#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "profile/name_hash_set.h"
#include "profile_test_util.h"

namespace ziq::profile::test {
namespace {

using IndexCache = ProfileTest;

// Overwrites bytes in place, keeping the size.
void patch(const std::filesystem::path& path, std::size_t at, std::string_view bytes) {
    std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(static_cast<std::streamoff>(at));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void appendBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(IndexCache, AppendingToALargeFileReadsNoneOfIt) {
    std::string log;
    log.reserve(52 * 1024 * 1024);
    char section[32];
    const std::string text(90, 't');
    for (int i = 0; log.size() < 50 * 1024 * 1024; ++i) {
        std::snprintf(section, sizeof section, "[2004%010d]\n", i);
        log += section;
        log += "TEXT=" + text + "\n";
    }
    setContent(log);
    if (!testing::changeWatchingAvailable()) {
        GTEST_SKIP() << "indexes are kept only where changes to files are reported";
    }

    ASSERT_TRUE(write("20991231235958", "TEXT", "first")); // learns the file once
    EXPECT_GE(testing::ioCounters().bytesRead, log.size());

    testing::resetIoCounters();
    ASSERT_TRUE(write("20991231235959", "TEXT", "next capture"));
    ASSERT_TRUE(write("20991231235959", "093005", "a link, same section"));
    ASSERT_TRUE(write("20991231235959", "093005", "a link, same section"));
    EXPECT_LT(testing::ioCounters().bytesRead, 4096U);
    EXPECT_LT(testing::ioCounters().bytesWritten, 4096U);

    testing::resetIoCounters();
    EXPECT_EQ(read("20991231235959", "093005"), "a link, same section");
    EXPECT_EQ(read("no such section", "TEXT", "none"), "none");
    EXPECT_LT(testing::ioCounters().bytesRead, 4096U);

    const std::string expectedTail = "[20991231235958]\nTEXT=first\n[20991231235959]\n"
                                     "TEXT=next capture\n093005=a link, same section\n";
    const std::string now = content();
    EXPECT_EQ(now.size(), log.size() + expectedTail.size());
    EXPECT_TRUE(now.ends_with(expectedTail));
    EXPECT_TRUE(now.starts_with(log));
}

// Each case runs with change notices (where the system gives them) and without, as on systems
// that keep no index.
class ExternalChanges : public ProfileTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        ProfileTest::SetUp();
        testing::setChangeWatching(GetParam());
        testing::setIndexThreshold(0);
        setContent("[aaaa]\nk=1\n[bbbb]\nk=2\n");
        ASSERT_TRUE(write("cccc", "k", "3")); // the index now knows aaaa, bbbb, cccc
    }
};

#ifndef _WIN32
TEST_P(ExternalChanges, SameSizeEditWithTheSameModificationTimeIsNoticed) {
    struct stat before {};
    ASSERT_EQ(::stat(file().c_str(), &before), 0);
    patch(file(), 0, "[dddd]");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, file().c_str(), times, 0), 0);

    EXPECT_EQ(read("dddd", "k"), "1");
    EXPECT_EQ(read("aaaa", "k", "gone"), "gone");
    ASSERT_TRUE(write("dddd", "k", "9"));
    ASSERT_TRUE(write("aaaa", "x", "1"));
    EXPECT_EQ(content(), "[dddd]\nk=9\n[bbbb]\nk=2\n[cccc]\nk=3\n[aaaa]\nx=1\n");
}
#endif

TEST_P(ExternalChanges, AnEditRightAfterOurWriteIsNoticed) {
    // No pause: the edit may fall in the same second as our write.
    patch(file(), 11, "[eeee]");
    EXPECT_EQ(read("eeee", "k"), "2");
    ASSERT_TRUE(write("eeee", "k", "7"));
    ASSERT_TRUE(write("cccc", "j", "4"));
    patch(file(), 0, "[cccc]");
    ASSERT_TRUE(write("cccc", "k", "5")); // the first [cccc] is now the file's first section
    EXPECT_EQ(content(), "[cccc]\nk=5\n[eeee]\nk=7\n[cccc]\nk=3\nj=4\n");
}

TEST_P(ExternalChanges, OnACoarseClockAnEditInTheTickOfOurWriteIsNoticed) {
    // File times in whole seconds: an edit just after our write gets the very same stamp.
    // Only a change notice tells them apart.
    testing::simulateTimestampGranularity(1'000'000'000);
    ASSERT_TRUE(write("hhhh", "k", "4"));
    patch(file(), 0, "[dddd]");
    EXPECT_EQ(read("dddd", "k"), "1");
    EXPECT_EQ(read("aaaa", "k", "gone"), "gone");
    ASSERT_TRUE(write("iiii", "k", "5"));
    patch(file(), 11, "[jjjj]");
    ASSERT_TRUE(write("jjjj", "k", "6"));
    EXPECT_EQ(content(), "[dddd]\nk=1\n[jjjj]\nk=6\n[cccc]\nk=3\n[hhhh]\nk=4\n[iiii]\nk=5\n");
}

TEST_P(ExternalChanges, AnEditWhileOurAppendIsSlowIsNoticed) {
    // Another program edits the file while our process, slow or preempted, is still inside its
    // append: the same stamp, and after the notice of our own write.
#ifdef _WIN32
    if (GetParam()) {
        GTEST_SKIP() << "Windows reports our append only once the file is flushed and closed: "
                        "a same-size edit in the same file time before that counts as ours";
    }
#endif
    testing::simulateTimestampGranularity(1'000'000'000);
    int edits = 0;
    testing::setAfterOwnWrite([&] {
        if (edits++ == 0) {
            patch(file(), 11, "[jjjj]");
        }
    });
    ASSERT_TRUE(write("iiii", "k", "5"));
    testing::setAfterOwnWrite({});
    ASSERT_EQ(edits, 1);
    EXPECT_EQ(read("jjjj", "k"), "2");
    ASSERT_TRUE(write("jjjj", "k", "6"));
    ASSERT_TRUE(write("bbbb", "k", "7"));
    EXPECT_EQ(content(), "[aaaa]\nk=1\n[jjjj]\nk=6\n[cccc]\nk=3\n[iiii]\nk=5\n[bbbb]\nk=7\n");
}

TEST_P(ExternalChanges, AnotherWritersAppendIsNoticed) {
    appendBytes(file(), "[ffff]\nz=1"); // no final line break
    ASSERT_TRUE(write("gggg", "k", "1"));
    ASSERT_TRUE(write("ffff", "y", "2"));
    appendBytes(file(), "; trailing note\n");
    ASSERT_TRUE(write("gggg", "m", "3"));
    EXPECT_EQ(content(), "[aaaa]\nk=1\n[bbbb]\nk=2\n[cccc]\nk=3\n[ffff]\nz=1\ny=2\n"
                         "[gggg]\nk=1\nm=3\n; trailing note\n");
}

TEST_P(ExternalChanges, AReplacedOrTruncatedFileIsNoticed) {
    const std::string other = "[xxxx]\nk=8\n[yyyy]\nk=9\n[zzzz]\nk=0\n";
    ASSERT_EQ(other.size(), content().size());
    setContent(other, "other.ini");
    std::filesystem::rename(file("other.ini"), file());
    EXPECT_EQ(read("cccc", "k", "gone"), "gone");
    EXPECT_EQ(read("zzzz", "k"), "0");

    std::filesystem::resize_file(file(), 11);
    EXPECT_EQ(read("yyyy", "k", "gone"), "gone");
    ASSERT_TRUE(write("xxxx", "q", "1"));
    EXPECT_EQ(content(), "[xxxx]\nk=8\nq=1\n");
}

std::string watchingName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "Watched" : "Unwatched";
}

#if defined(__linux__) || defined(_WIN32)
const auto kWatching = ::testing::Bool();
#else
const auto kWatching = ::testing::Values(false); // no change notices here
#endif

INSTANTIATE_TEST_SUITE_P(Cache, ExternalChanges, kWatching, watchingName);

#ifdef __linux__
// A forked child shares its parent's open descriptors: reading change notices there would
// take them from the parent, which would then trust an index of a changed file.
TEST_F(IndexCache, AForkedChildLeavesItsParentsNoticesAlone) {
    testing::setIndexThreshold(0);
    testing::simulateTimestampGranularity(1'000'000'000); // stamps cannot tell; notices can
    setContent("[aaaa]\nk=1\n");
    ASSERT_TRUE(write("bbbb", "k", "2")); // indexed and watched
    patch(file(), 1, "x");                // [xaaa]: a notice waits for the parent
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(readString("bbbb", "k", "", 64, file()) == "2" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(read("xaaa", "k"), "1");
    EXPECT_EQ(read("aaaa", "k", "gone"), "gone");
}

// File systems hand the number of a deleted file to the next new one; what was noticed about
// the old file must not stop writes to the new one.
TEST_F(IndexCache, ANewFileWithADeletedWatchedFilesNumberIsWrittenNormally) {
    ASSERT_TRUE(write("big", "k", std::string(64 * 1024, 'b'), "old.ini")); // watched
    struct stat old {};
    ASSERT_EQ(::stat(file("old.ini").c_str(), &old), 0);
    std::filesystem::remove(file("old.ini"));
    bool reused = false;
    for (int attempt = 0; attempt < 50 && !reused; ++attempt) {
        std::filesystem::remove(file());
        setContent("[s]\nk=1\n");
        struct stat now {};
        reused = ::stat(file().c_str(), &now) == 0 && now.st_ino == old.st_ino;
    }
    if (!reused) {
        GTEST_SKIP() << "this file system did not reuse the file's number";
    }
    ASSERT_TRUE(write("s", "k", "2"));
    EXPECT_EQ(content(), "[s]\nk=2\n");
}
#endif

// Runs the same random history on a file with an index and on one without: any answer the
// index gives must be the one a fresh parse gives.
class FreshParse : public ProfileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FreshParse, IndexedAnswersAlwaysMatchIt) {
    testing::setChangeWatching(GetParam());
    const char* sections[] = {"a", "B", "c", "[x", "d d", ""};
    const char* keys[] = {"k", "K", "x2", ";c", "\nk", ""};
    const char* values[] = {"v",  "",  " sp ", "\"q\"", "l1\nl2", "v\r\n[c]\r\nk=i", "x\r",
                            ";c", "=", "\n",   "\r",    "[a]",    "w\n\n",           "y\r\n;z"};
    const char* junk[] = {"\n", "\r", "[c]", "k=j", ";", "[B]\n", " ", "x", "K="};
    const std::uint64_t noIndex = std::uint64_t{1} << 40;
    std::mt19937 random(20240611);
    const auto pick = [&](const auto& list) {
        return std::string(list[random() % std::size(list)]);
    };
    const auto writeBoth = [&](const std::string& section, const std::string& key,
                               const std::string& value) {
        testing::setIndexThreshold(0);
        const bool indexed = write(section, key, value, "indexed.ini");
        testing::setIndexThreshold(noIndex);
        const bool plain = write(section, key, value, "plain.ini");
        ASSERT_TRUE(indexed && plain);
    };
#ifdef _WIN32
    // Under Wine every file access is a round trip to its server: the Windows run takes a
    // shorter history of the same kinds of step, the full one runs on the other targets.
    constexpr int kSteps = 100;
#else
    constexpr int kSteps = 400;
#endif
    for (int step = 0; step < kSteps; ++step) {
        const int action = static_cast<int>(random() % 8);
        if (action < 4) {
            writeBoth(pick(sections), pick(keys), pick(values));
        } else if (action == 4) {
            const std::string bytes = pick(junk) + pick(junk);
            appendBytes(file("indexed.ini"), bytes);
            appendBytes(file("plain.ini"), bytes);
        } else if (action < 7 && !content("plain.ini").empty()) {
            // Same size, right after our own write.
            const std::size_t at = random() % content("plain.ini").size();
            constexpr std::string_view bytes = "[]=;\n\rabBcKk";
            const std::string byte(1, bytes[random() % bytes.size()]);
            patch(file("indexed.ini"), at, byte);
            patch(file("plain.ini"), at, byte);
        } else if (random() % 3 == 0) {
            const std::size_t size = content("plain.ini").size();
            const std::size_t keep = size == 0 ? 0 : random() % size;
            std::filesystem::resize_file(file("indexed.ini"), keep);
            std::filesystem::resize_file(file("plain.ini"), keep);
        }
        ASSERT_EQ(content("indexed.ini"), content("plain.ini")) << "step " << step;
        for (const char* section : sections) {
            for (const char* key : keys) {
                testing::setIndexThreshold(0);
                const std::string indexed = read(section, key, "dflt", 4096, "indexed.ini");
                testing::setIndexThreshold(noIndex);
                ASSERT_EQ(indexed, read(section, key, "dflt", 4096, "plain.ini"))
                    << "step " << step << " [" << section << "] " << key;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cache, FreshParse, kWatching, watchingName);

TEST(NameHashSet, FindsEveryInsertedHashAcrossMerges) {
    std::mt19937_64 random(3);
    std::vector<std::uint64_t> bulk;
    for (int i = 0; i < 5000; ++i) {
        bulk.push_back(random() | 1); // odd hashes are members
    }
    bulk.push_back(bulk.front()); // duplicates are allowed in bulk
    NameHashSet set(bulk);
    std::vector<std::uint64_t> added;
    for (int i = 0; i < 10000; ++i) {
        const std::uint64_t hash = random() | 1;
        EXPECT_TRUE(set.insert(hash));
        EXPECT_FALSE(set.insert(hash));
        added.push_back(hash);
    }
    for (const std::uint64_t hash : bulk) {
        EXPECT_TRUE(set.contains(hash));
    }
    for (const std::uint64_t hash : added) {
        EXPECT_TRUE(set.contains(hash));
    }
    for (int i = 0; i < 1000; ++i) {
        EXPECT_FALSE(set.contains(random() & ~std::uint64_t{1}));
    }
}

} // namespace
} // namespace ziq::profile::test
