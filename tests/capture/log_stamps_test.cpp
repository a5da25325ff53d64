#include "capture/log_stamps.h"

#include <gtest/gtest.h>

namespace ziq {
namespace {

TEST(LogStamps, PadEveryComponentButTheYear) {
    EXPECT_EQ(dateStamp({2005, 1, 1, 0, 0, 5}), "20050101");
    EXPECT_EQ(timeStamp({2005, 1, 1, 0, 0, 5}), "000005");
    EXPECT_EQ(dateStamp({2004, 12, 25, 23, 59, 59}), "20041225");
    EXPECT_EQ(timeStamp({2004, 12, 25, 23, 59, 59}), "235959");
    EXPECT_EQ(timeStamp({2004, 1, 25, 9, 5, 7}), "090507");
    // The year is never extended.
    EXPECT_EQ(dateStamp({999, 3, 4, 0, 0, 0}), "9990304");
}

} // namespace
} // namespace ziq
