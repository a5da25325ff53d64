#include "history_test_util.h"

#include "history/entry_id.h"
#include "history/word_match.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ziq::history {
namespace {

using test::HistoryFolders;
using test::scanned;
using test::writeBytes;
using ::testing::ElementsAreArray;

struct ParseCase {
    const char* what;
    bool link;
    const char* name;
    std::string content;
    std::vector<std::string> expected; // newest first
};

class EntryParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(EntryParsing, GivesTheEntriesTheFileHolds) {
    const ParseCase& c = GetParam();
    HistoryFolders logs;
    writeBytes((c.link ? logs.links : logs.clips) / c.name, c.content);
    EXPECT_THAT(scanned(logs.folders), ElementsAreArray(c.expected)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    AllSchemes, EntryParsing,
    ::testing::Values(
        ParseCase{"day file: multi-line with CRLF, leading blanks, invalid bytes",
                  false,
                  "20240125.txt",
                  "[20240125093005]\r\nTEXT=  a\r\nb\r\n[20240125093006]\r\nTEXT=\xff\xfe\r\n",
                  {"20240125093006|\xff\xfe", "20240125093005|  a\r\nb"}},
        ParseCase{"one file: a header without TEXT= after it is text",
                  false,
                  "ziq.txt",
                  "[20240101000001]\nTEXT=x\n[20240101000002]\nnot text\n[LogEntry]\n",
                  {"20240101000001|x\n[20240101000002]\nnot text\n[LogEntry]"}},
        ParseCase{"one file: byte-order mark, blanks around the key, text ending in a break",
                  false,
                  "ziq.txt",
                  "\xEF\xBB\xBF  [20240101000001]\n TEXT =a\n\n",
                  {"20240101000001|a\n"}},
        ParseCase{"per capture: time from the name",
                  false,
                  "20240126_101010.txt",
                  "[LogEntry]\nTEXT=per\n",
                  {"20240126101010|per"}},
        ParseCase{"link one file: date from the section, time from the key",
                  true,
                  "ziqurl.txt",
                  "[20240125]\n093005=http://a\n[20240126]\n000001= b\n",
                  {"20240126000001| b", "20240125093005|http://a"}},
        ParseCase{"link day file: hour from the section",
                  true,
                  "u20240126.txt",
                  "[09]\n3005=x\n[10]\n1012=ftp.x\n",
                  {"20240126101012|ftp.x", "20240126093005|x"}},
        ParseCase{"truncated entry and junk",
                  false,
                  "ziq.txt",
                  std::string("\x00\x01junk\n[20240101000001]\nTEXT=trunc", 34),
                  {"20240101000001|trunc"}},
        ParseCase{
            "binary junk only", false, "20240101.txt", std::string("\x00[\x01\n[2024", 9), {}},
        ParseCase{"impossible date in the name: not a log",
                  false,
                  "20260230.txt",
                  "[20260230000001]\nTEXT=x\n",
                  {}},
        ParseCase{"a section's impossible time is shown as the file holds it",
                  false,
                  "ziq.txt",
                  "[20260230250000]\nTEXT=x\n",
                  {"20260230250000|x"}},
        ParseCase{"other names are ignored", false, "notes.txt", "[20240101000001]\nTEXT=x\n", {}}),
    [](const auto& param) { return "case" + std::to_string(param.index); });

TEST(HistoryScan, ReadsAcrossPiecesNewestFirstAndAcrossSchemes) {
    HistoryFolders logs;
    std::string big;
    constexpr int kEntries = 60000; // well over one piece of the reader
    for (int i = 0; i < kEntries; ++i) {
        big += "[" + std::to_string(20240101000000LL + i) + "]\nTEXT=entry " + std::to_string(i) +
               std::string(60, 'x') + "\n";
    }
    const std::string huge(kWholeTextLimit + 1000, 'h');
    big += "[20240109000000]\nTEXT=" + huge + " needle\n";
    writeBytes(logs.clips / "ziq.txt", big);
    writeBytes(logs.clips / "20240108.txt", "[20240108000000]\nTEXT=day\n");
    writeBytes(logs.links / "u20240102.txt", "[12]\n0000=link\n");

    std::vector<std::uint64_t> lengths;
    std::vector<std::int64_t> stamps;
    std::vector<std::string> ids;
    ScanReport report = scanHistory(logs.folders, {}, [&](const Entry& entry, LogReader& reader) {
        ids.push_back(entryId(entry, reader));
        lengths.push_back(entry.length());
        stamps.push_back(entry.stamp);
        return true;
    });
    EXPECT_TRUE(report.problems.empty());
    ASSERT_EQ(stamps.size(), kEntries + 3u);
    EXPECT_EQ(lengths.front(), huge.size() + 7);
    // The ID of a text hashed in pieces finds it again.
    std::unique_ptr<FoundEntry> found;
    ASSERT_EQ(findEntry(logs.folders, ids.front(), found), FindStatus::Found);
    EXPECT_EQ(found->entry.length(), huge.size() + 7);
    EXPECT_EQ(stamps[1], 20240108000000);
    EXPECT_TRUE(std::is_sorted(stamps.rbegin(), stamps.rend()));

    HistoryQuery query;
    query.words = {"NEEDLE"};
    EXPECT_EQ(scanned(logs.folders, query).size(), 1u) << "a word at the end of a long text";
    query.words = {"entry", "59999"};
    EXPECT_EQ(scanned(logs.folders, query).size(), 1u);
    query = {};
    query.since = query.until = 20240102;
    query.captures = false;
    EXPECT_THAT(scanned(logs.folders, query), ElementsAreArray({"20240102120000|link"}));
}

// A word search skips the entries that cannot hold the word without reading their headers;
// it must still give exactly the entries of a full scan that hold it, across pieces too.
TEST(HistoryScan, SearchGivesWhatAFullScanHolds) {
    HistoryFolders logs;
    static const char* const kParts[] = {"alpha ",
                                         "[",
                                         "]",
                                         "\n",
                                         "\r\n",
                                         "  ",
                                         "TEXT=",
                                         "[20240101000009]",
                                         "\n[20240101000009]\nno text\n",
                                         "Zanzibar",
                                         "20240101",
                                         "x"};
    std::string log;
    unsigned seed = 7;
    for (int i = 0; i < 70000; ++i) {
        log += "[" + std::to_string(20240101000000LL + i) + "]\nTEXT=";
        for (int k = 0; k < 6; ++k) {
            seed = seed * 1103515245u + 12345u;
            log += kParts[(seed >> 16) % std::size(kParts)];
        }
        log += "\n";
    }
    writeBytes(logs.clips / "ziq.txt", log);
    const std::vector<std::string> all = scanned(logs.folders);
    ASSERT_GE(all.size(), 70000u); // some parts make openers of their own
    for (const std::string word : {"zanzibar", "[2024", "20240101", "text=", "x", "]"}) {
        std::vector<std::string> expected;
        const WordMatcher matcher({word});
        std::copy_if(all.begin(), all.end(), std::back_inserter(expected), [&](const auto& e) {
            return matcher.matches(std::string_view(e).substr(e.find('|') + 1));
        });
        HistoryQuery query;
        query.words = {word};
        EXPECT_EQ(scanned(logs.folders, query), expected) << word;
        EXPECT_FALSE(expected.empty()) << word;
    }
}

TEST(WordMatch, FoldsCaseAndTakesEveryCharacterLiterally) {
    struct Case {
        std::vector<std::string> words;
        std::string text;
        bool matches;
    };
    const Case cases[] = {
        {{"É"}, "café", true},          {{"CAFÉ"}, "un Café", true},
        {{"a.c"}, "abc", false},        {{"a.c"}, "xa.cx", true},
        {{"(", "*"}, "f(*)", true},     {{"k"}, "\xE2\x84\xAA", true}, // Kelvin sign
        {{"one", "two"}, "two", false}, {{"x"}, "\xff x", true},
        {{"ß"}, "SS", false}, // simple folding only
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WordMatcher(c.words).matches(c.text), c.matches)
            << c.words.front() << " in " << c.text;
    }
}

} // namespace
} // namespace ziq::history
