#include "capture/clipboard_log_naming.h"

#include <gtest/gtest.h>

namespace ziq {
namespace {

const LocalDateTime kPadded{2005, 1, 1, 0, 0, 5};

TEST(ClipboardLogNaming, ThreeSchemesFromPaddedStamps) {
    const auto one = clipboardLogTarget("1", "/logs/", kPadded);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->file, "/logs/ziq.txt");
    EXPECT_EQ(one->section, "20050101000005");

    const auto two = clipboardLogTarget("2", "/logs/", kPadded);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->file, "/logs/20050101_000005.txt");
    EXPECT_EQ(two->section, "LogEntry");

    const auto three = clipboardLogTarget("3", "/logs/", {2004, 12, 25, 23, 59, 59});
    ASSERT_TRUE(three);
    EXPECT_EQ(three->file, "/logs/20041225.txt");
    EXPECT_EQ(three->section, "20041225235959");
}

TEST(ClipboardLogNaming, SchemeIsANumberNotAText) {
    EXPECT_EQ(clipboardLogTarget(" 2 ", "/l/", kPadded)->section, "LogEntry");
    EXPECT_EQ(clipboardLogTarget("3.0", "/l/", kPadded)->file, "/l/20050101.txt");
    // Not a number: the first scheme's test lets its step run.
    EXPECT_EQ(clipboardLogTarget("daily", "/l/", kPadded)->file, "/l/ziq.txt");
    EXPECT_EQ(clipboardLogTarget("", "/l/", kPadded)->file, "/l/ziq.txt");
    // Any other number names no scheme.
    EXPECT_FALSE(clipboardLogTarget("4", "/l/", kPadded));
    EXPECT_FALSE(clipboardLogTarget("0", "/l/", kPadded));
    EXPECT_FALSE(clipboardLogTarget("2.5", "/l/", kPadded));
}

TEST(ClipboardLogNaming, FolderIsAPrefixUsedAsStored) {
    // Without a trailing separator the file lands beside the folder, named after it.
    EXPECT_EQ(clipboardLogTarget("3", "/home/me/logs", kPadded)->file, "/home/me/logs20050101.txt");
    EXPECT_EQ(clipboardLogTarget("1", "", kPadded)->file, "ziq.txt");
}

TEST(ClipboardLogNaming, ErrorMessageNamesTheFile) {
    EXPECT_EQ(clipboardLogErrorMessage("/logs/ziq.txt"),
              "Error writing to: /logs/ziq.txt. Be sure file is not protected, the clipboard "
              "text is not too big, and that the file size is not too large.");
}

} // namespace
} // namespace ziq
