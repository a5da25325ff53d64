#include <gtest/gtest.h>

#include "profile_test_util.h"

namespace ziq::profile::test {
namespace {

using Reading = ProfileTest;

TEST_F(Reading, SectionAndKeyMatchIgnoringAsciiCaseOnly) {
    setContent("[Settings]\nFreQ=3\n[\xC3\x84rger]\nk=1\n");
    EXPECT_EQ(read("SETTINGS", "freq"), "3");
    EXPECT_EQ(read("settings", "FREQ"), "3");
    // Non-ASCII letters are bytes, compared exactly.
    EXPECT_EQ(read("\xC3\xA4rger", "k", "none"), "none");
    EXPECT_EQ(read("\xC3\x84RGER", "K"), "1");
}

TEST_F(Reading, ArgumentsLoseOuterSpacesOnly) {
    setContent("[s]\nk=v\n");
    EXPECT_EQ(read("  s  ", "   k "), "v");
    EXPECT_EQ(read("\ts", "k", "none"), "none");
    EXPECT_EQ(read("s", "k\t", "none"), "none");
}

TEST_F(Reading, FirstMatchingSectionAndFirstKeyWin) {
    setContent("[s]\na=1\nA=2\n[other]\nb=0\n[S]\na=3\nb=4\n");
    EXPECT_EQ(read("s", "a"), "1");
    EXPECT_EQ(read("s", "b", "none"), "none"); // only in the later duplicate
}

TEST_F(Reading, OneOuterPairOfMatchingQuotesIsRemoved) {
    setContent("[s]\n"
               "dq=\"v\"\nsq='v'\nmixed=\"v'\nlone=\"\nempty=\"\"\ntriple=\"\"\"\n"
               "spaced=  \" v \"  \ninner=a\"b\"\n[\"q\"]\nk=1\n");
    EXPECT_EQ(read("s", "dq"), "v");
    EXPECT_EQ(read("s", "sq"), "v");
    EXPECT_EQ(read("s", "mixed"), "\"v'");
    EXPECT_EQ(read("s", "lone"), "\"");
    EXPECT_EQ(read("s", "empty", "none"), "");
    EXPECT_EQ(read("s", "triple"), "\"");
    EXPECT_EQ(read("s", "spaced"), " v ");
    EXPECT_EQ(read("s", "inner"), "a\"b\"");
    EXPECT_EQ(read("\"q\"", "k"), "1"); // names keep their quotes
    EXPECT_EQ(read("q", "k", "none"), "none");
}

TEST_F(Reading, CapacityCutsToCapacityMinusOneCharacters) {
    setContent("[s]\nk=abcdef\nq=\"abcdef\"\nu=\xC3\xA4\xC3\xB6\xC3\xBC\nbad=\xFF\xFE\xFD\n");
    EXPECT_EQ(read("s", "k", "", 0), "");
    EXPECT_EQ(read("s", "k", "", 1), "");
    EXPECT_EQ(read("s", "k", "", 4), "abc");
    EXPECT_EQ(read("s", "k", "", 6), "abcde");
    EXPECT_EQ(read("s", "k", "", 7), "abcdef");
    EXPECT_EQ(read("s", "q", "", 4), "abc"); // quotes come off before the cut
    // A character is a whole UTF-8 sequence and is never split; stray bytes count singly.
    EXPECT_EQ(read("s", "u", "", 3), "\xC3\xA4\xC3\xB6");
    EXPECT_EQ(read("s", "bad", "", 3), "\xFF\xFE");
    const std::string path(200, 'p');
    setContent("[ZIQ]\nSAVEDFILEPATH=" + path + "\n");
    EXPECT_EQ(read("ZIQ", "SAVEDFILEPATH", "", 127), path.substr(0, 126));
}

TEST_F(Reading, DefaultLosesTrailingSpacesAndObeysCapacity) {
    EXPECT_EQ(read("s", "k", "  fallback  "), "  fallback"); // no file at all
    EXPECT_EQ(read("s", "k", "fallback\t "), "fallback\t");
    EXPECT_EQ(read("s", "k", "fallback", 5), "fall");
    setContent("[s]\nother=1\n");
    EXPECT_EQ(read("s", "k", "dflt "), "dflt");
    EXPECT_EQ(read("t", "k", "dflt "), "dflt");
    EXPECT_EQ(readString("s", "k", "dflt", 64, folder_ / "missing" / "test.ini"), "dflt");
    EXPECT_EQ(readString("s", "k", "dflt", 64, folder_), "dflt"); // a folder, not a file
}

TEST_F(Reading, EveryReadSeesTheFileAsItIsNow) {
    for (const std::uint64_t threshold : {std::uint64_t{0}, std::uint64_t{1} << 40}) {
        testing::setIndexThreshold(threshold);
        setContent("[s]\nk=one\n");
        EXPECT_EQ(read("s", "k"), "one");
        setContent("[s]\nk=two\n"); // same size, same second
        EXPECT_EQ(read("s", "k"), "two");
        setContent("[t]\nk=two\n");
        EXPECT_EQ(read("s", "k", "gone"), "gone");
        EXPECT_EQ(read("t", "k"), "two");
    }
}

} // namespace
} // namespace ziq::profile::test
