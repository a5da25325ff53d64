// The guard that keeps a hung or hostile clipboard owner from freezing the program.

#include "platform/clipboard/clipboard_read_guard.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace ziq {
namespace {

using namespace std::chrono_literals;
using Clock = ClipboardReadGuard::Clock;

TEST(ClipboardReadGuard, AnOwnerThatTookLongToGiveNothingIsAskedAgainLessAndLessOften) {
    ClipboardReadGuard guard;
    const Clock::time_point t0{};
    guard.readDone(t0, t0 + 1900ms, true); // slow, but within the limit
    guard.readDone(t0, t0 + 5s, false);    // slow, but it answered
    EXPECT_TRUE(guard.mayRead(t0 + 5s));

    // An owner that never answers, asked by a tick every 100 ms: each read waits out the
    // toolkit's 5 s. The pauses between reads double up to a minute.
    std::vector<Clock::duration> pauses;
    std::optional<Clock::time_point> lastReadEnd;
    int reads = 0;
    for (Clock::time_point now = t0 + 10s; now < t0 + 1h; now += 100ms) {
        if (!guard.mayRead(now)) {
            continue;
        }
        if (lastReadEnd) {
            pauses.push_back(now - *lastReadEnd);
        }
        ++reads;
        guard.readDone(now, now + 5s, true);
        guard.readDone(now, now + 5s, true); // the same tick's next read gave up too
        now += 5s;
        lastReadEnd = now;
    }
    ASSERT_GE(pauses.size(), 7u);
    const std::vector<Clock::duration> expected = {2s, 4s, 8s, 16s, 32s, 60s, 60s};
    EXPECT_EQ(std::vector(pauses.begin(), pauses.begin() + 7), expected);
    EXPECT_LE(reads, 65) << "in the long run, about once a minute";

    guard.contentChanged();
    EXPECT_TRUE(guard.mayRead(*lastReadEnd));
    guard.readDone(*lastReadEnd, *lastReadEnd + 5s, true);
    EXPECT_FALSE(guard.mayRead(*lastReadEnd + 6s));
    EXPECT_TRUE(guard.mayRead(*lastReadEnd + 7s)) << "new content starts patient again";
}

TEST(ClipboardReadGuard, TextsAboveTheLimitAreRefusedUntilTheContentChanges) {
    ClipboardReadGuard guard;
    const Clock::time_point t0{};
    EXPECT_GE(ClipboardReadGuard::kMaxTextLength, std::size_t{64} * 1024 * 1024);
    EXPECT_TRUE(guard.acceptLength(ClipboardReadGuard::kMaxTextLength, t0));
    EXPECT_TRUE(guard.mayRead(t0));
    EXPECT_FALSE(guard.acceptLength(ClipboardReadGuard::kMaxTextLength + 1, t0));
    EXPECT_FALSE(guard.mayRead(t0 + 1s));
    EXPECT_FALSE(guard.mayRead(t0 + 59s)) << "the same text again: no sooner than a minute";
    guard.contentChanged();
    EXPECT_TRUE(guard.mayRead(t0 + 1s));
}

} // namespace
} // namespace ziq
