// The guard that keeps a hung or hostile clipboard owner from freezing the program.

#include "platform/clipboard/clipboard_read_guard.h"

#include <gtest/gtest.h>

namespace ziq {
namespace {

using namespace std::chrono_literals;
using Clock = ClipboardReadGuard::Clock;

TEST(ClipboardReadGuard, AnOwnerThatTookLongToGiveNothingIsNotAskedAgainUntilItChanges) {
    ClipboardReadGuard guard;
    const Clock::time_point t0{};
    guard.readDone(t0, t0 + 1900ms, true); // slow, but within the limit
    guard.readDone(t0, t0 + 5s, false);    // slow, but it answered
    EXPECT_TRUE(guard.mayRead(t0 + 5s));
    guard.readDone(t0, t0 + 5s, true); // the toolkit gave up waiting
    EXPECT_FALSE(guard.mayRead(t0 + 6s));
    EXPECT_FALSE(guard.mayRead(t0 + 64s));
    EXPECT_TRUE(guard.mayRead(t0 + 65s)) << "asked again once in a while";
    guard.readDone(t0 + 70s, t0 + 75s, true);
    EXPECT_FALSE(guard.mayRead(t0 + 76s));
    guard.contentChanged();
    EXPECT_TRUE(guard.mayRead(t0 + 76s));
}

TEST(ClipboardReadGuard, TextsAboveTheLimitAreRefusedUntilTheContentChanges) {
    ClipboardReadGuard guard;
    const Clock::time_point t0{};
    EXPECT_GE(ClipboardReadGuard::kMaxTextLength, std::size_t{64} * 1024 * 1024);
    EXPECT_TRUE(guard.acceptLength(ClipboardReadGuard::kMaxTextLength, t0));
    EXPECT_TRUE(guard.mayRead(t0));
    EXPECT_FALSE(guard.acceptLength(ClipboardReadGuard::kMaxTextLength + 1, t0));
    EXPECT_FALSE(guard.mayRead(t0 + 1s));
    guard.contentChanged();
    EXPECT_TRUE(guard.mayRead(t0 + 1s));
}

} // namespace
} // namespace ziq
