#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "profile/line_scanner.h"
#include "profile_test_util.h"

namespace ziq::profile::test {
namespace {

using Parsing = ProfileTest;

TEST_F(Parsing, EachLineBreakStyleEndsLines) {
    for (const std::string lineBreak : {"\r\n", "\r", "\n"}) {
        setContent("[a]" + lineBreak + "k1=v1" + lineBreak + "[b]" + lineBreak + "k2=v2");
        EXPECT_EQ(read("a", "k1"), "v1");
        EXPECT_EQ(read("b", "k2"), "v2");
        EXPECT_EQ(read("a", "k2", "none"), "none");
    }
    // Mixed, and LF followed by CR is two breaks, not one.
    setContent("[a]\r\nk1=v1\rk2=v2\nk3=v3\n\rk4=v4\r\n");
    EXPECT_EQ(read("a", "k1"), "v1");
    EXPECT_EQ(read("a", "k2"), "v2");
    EXPECT_EQ(read("a", "k3"), "v3");
    EXPECT_EQ(read("a", "k4"), "v4");
}

TEST_F(Parsing, LinesNamesAndValuesAreTrimmedOfBlanks) {
    setContent("  \t[ \vsec \t]  ignored\n \v key \t= \t value \f\v\n");
    EXPECT_EQ(read("sec", "key"), "value");
}

TEST_F(Parsing, HeaderNameRunsToFirstClosingBracketOrLineEnd) {
    setContent("[open\nk=1\n[a]b]\nk=2\n[]\nk=3\n");
    EXPECT_EQ(read("open", "k"), "1");
    EXPECT_EQ(read("a", "k"), "2");
    EXPECT_EQ(read("a]b", "k", "none"), "none");
    EXPECT_EQ(read("", "k"), "3");
}

TEST_F(Parsing, OnlyLeadingSemicolonMakesAComment) {
    setContent("[s]\n;k=hidden\n  ; x=hidden\n#k=hash\nk=v ; not a comment\nx;y=z\n");
    EXPECT_EQ(read("s", ";k", "none"), "none");
    EXPECT_EQ(read("s", "x", "none"), "none");
    EXPECT_EQ(read("s", "#k"), "hash");
    EXPECT_EQ(read("s", "k"), "v ; not a comment");
    EXPECT_EQ(read("s", "x;y"), "z");
}

TEST_F(Parsing, EntriesBeforeTheFirstHeaderCannotBeRead) {
    setContent("k=orphan\n[s]\nx=1\n[]\nk=empty-name\n");
    EXPECT_EQ(read("s", "k", "none"), "none");
    EXPECT_EQ(read("", "k"), "empty-name");
}

TEST_F(Parsing, EntrySplitsAtFirstEqualsAndNeedsOne) {
    setContent("[s]\nk=a=b\nvalueless\nempty=\n");
    EXPECT_EQ(read("s", "k"), "a=b");
    EXPECT_EQ(read("s", "valueless", "none"), "none");
    EXPECT_EQ(read("s", "empty", "none"), "");
}

TEST_F(Parsing, ByteOrderMarkIsSkipped) {
    setContent("\xEF\xBB\xBF[s]\r\nk=v\r\n");
    EXPECT_EQ(read("s", "k"), "v");
}

TEST_F(Parsing, NulAndBinaryBytesAreOrdinaryText) {
    setContent(std::string("[s]\nk=a\0b\xFF\n", 12));
    EXPECT_EQ(read("s", "k"), std::string("a\0b\xFF", 4));

    std::mt19937 random(7);
    std::string junk;
    for (int i = 0; i < 20000; ++i) {
        junk += static_cast<char>(random() % 256);
    }
    for (char& c : junk) {
        if (c == '[') {
            c = '(';
        }
    }
    setContent(junk + "\n[target]\nkey=found\n" + junk);
    EXPECT_EQ(read("target", "key"), "found");
}

TEST_F(Parsing, VeryLongLinesReadWhole) {
    const std::string value(3 * 1024 * 1024 + 17, 'x');
    setContent("[s]\r\nlong=" + value + "\r\nnext=1\r\n");
    const std::string back = read("s", "long", "", value.size() + 1);
    EXPECT_EQ(back.size(), value.size());
    EXPECT_TRUE(back == value);
    EXPECT_EQ(read("s", "next"), "1");
    EXPECT_EQ(read("s", "long", "", 127), std::string(126, 'x'));
}

TEST_F(Parsing, CrLfSplitAcrossReadChunksIsOneBreak) {
    // The file is read in 256 KiB pieces; put the CR last in the first piece.
    const std::size_t piece = 256 * 1024;
    std::string header = "[s]" + std::string(piece - 4, ' ');
    setContent(header + "\r\nk=v\r\n");
    ASSERT_TRUE(write("t", "x", "y"));
    // A break taken for a lone CR would have made new lines end in CR.
    EXPECT_EQ(content(), header + "\r\nk=v\r\n[t]\r\nx=y\r\n");
}

// Collects lines as text + break, for comparing scans.
class LineLog final : public LineSink {
public:
    bool onLine(const Line& line) override {
        log += std::to_string(line.start) + ":" + std::string(line.text) + "|" +
               std::string(lineBreakText(line.lineBreak)) + "#";
        return true;
    }
    std::string log;
};

TEST(LineScanner, ChunkBoundariesDoNotChangeLines) {
    std::mt19937 random(11);
    const std::string alphabet = "ab=[];\r\n \t";
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 200);
        for (int i = 0; i < length; ++i) {
            text += alphabet[random() % alphabet.size()];
        }
        LineLog whole;
        LineScanner wholeScanner(5);
        wholeScanner.feed(text, whole);
        wholeScanner.finish(whole);

        LineLog pieces;
        LineScanner pieceScanner(5);
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t step = std::min<std::size_t>(1 + random() % 7, text.size() - at);
            pieceScanner.feed(std::string_view(text).substr(at, step), pieces);
            at += step;
        }
        pieceScanner.finish(pieces);
        ASSERT_EQ(whole.log, pieces.log) << "text: " << text;
    }
}

} // namespace
} // namespace ziq::profile::test
