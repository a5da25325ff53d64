#include "capture/link_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ziq {
namespace {

using namespace std::string_literals;

struct Case {
    std::u16string text;
    bool strict; // a link in strict mode
    bool loose;  // a link in loose mode
};

std::string printable(const std::u16string& text) {
    std::string out;
    for (char16_t c : text.substr(0, 40)) {
        out += (c >= 0x20 && c < 0x7f) ? char(c) : '?';
    }
    return out + (text.size() > 40 ? "... (" + std::to_string(text.size()) + ")" : "");
}

void expectCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(isLinkText(c.text, LinkMode::Strict), c.strict)
            << "strict: \"" << printable(c.text) << '"';
        EXPECT_EQ(isLinkText(c.text, LinkMode::Loose), c.loose)
            << "loose: \"" << printable(c.text) << '"';
    }
}

std::u16string upper(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z') {
            c = char16_t(c - u'a' + u'A');
        }
    }
    return text;
}

// Written out here rather than taken from the code under test.
const std::vector<std::u16string> kIdentifiers{u"http", u"www.", u"mailto:",
                                               u"ftp",  u"nntp", u"news."};
const std::vector<std::u16string> kFragments{
    u"http", u"mailto:", u"://",     u"www.",  u".com", u".net",  u".org",  u".info", u".name",
    u"@",    u".edu",    u".gov",    u"https", u"ftp.", u"news.", u"nntp.", u"mail.", u".us",
    u".biz", u".coop",   u".museum", u".aero", u".mil", u".int",  u".ca",   u".ch",   u".cn",
    u".co",  u".de",     u".fr",     u".ru",   u".uk",  u".us"};

TEST(LinkRules, EveryIdentifierAtTheStartIsALinkInBothModesWhateverTheCase) {
    for (const std::u16string& id : kIdentifiers) {
        expectCases({
            {id, true, true},
            {upper(id), true, true},
            {id + u"example.org/Path?q=1", true, true},
            {upper(id.substr(0, 1)) + id.substr(1) + u"Host", true, true},
        });
    }
}

TEST(LinkRules, AnIdentifierCutShortIsComparedWholeAndFails) {
    // None of these contains a fragment either.
    expectCases({
        {u"htt", false, false},
        {u"ww", false, false},
        {u"www", false, false},
        {u"mailto", false, false},
        {u"MAILTO", false, false},
        {u"ft", false, false},
        {u"nnt", false, false},
        {u"news", false, false},
        {u"h", false, false},
        {u"", false, false},
    });
}

TEST(LinkRules, AnIdentifierAfterTheStartCountsOnlyWhereItIsAlsoAFragment) {
    expectCases({
        {u" http://example", false, true},
        {u" www.example", false, true},
        {u" mailto:someone", false, true},
        {u" news.group", false, true},
        // "ftp" and "nntp" are fragments only with a dot after them.
        {u" ftp", false, false},
        {u" ftp.example", false, true},
        {u"get nntp", false, false},
        {u"get nntp.example", false, true},
    });
}

TEST(LinkRules, EveryFragmentAnywhereMakesALinkInLooseModeOnly) {
    for (const std::u16string& fragment : kFragments) {
        expectCases({
            {u"see " + fragment + u" here", false, true},
            {u"see " + upper(fragment), false, true},
            {u"x" + fragment, false, true},
        });
    }
}

TEST(LinkRules, WordsThatOnlyBeginWithAnIdentifierAreLinks) {
    expectCases({
        {u"ftpserver", true, true},
        {u"httpd.conf", true, true},
        {u"Newsletter", false, false}, // "news" without the dot
        {u"news.letter", true, true},
        {u"HTTPS://Example.COM/Page", true, true},
    });
}

TEST(LinkRules, ThingsThatMerelyLookLikeLinksInLooseMode) {
    expectCases({
        {u"user@host", false, true},
        {u"settings.config", false, true}, // ".co"
        {u"notes.txt", false, false},
        {u"A plain sentence with nothing of the kind in it", false, false},
        {u"3.14 is about pi", false, false},
        {u"mail me later", false, false},
        {u"a : / / b", false, false},
    });
}

TEST(LinkRules, LengthLimitIs256UnitsAndExactly256IsExamined) {
    const auto padded = [](std::u16string head, std::size_t length) {
        head.resize(length, u'x');
        return head;
    };
    expectCases({
        {padded(u"http", 255), true, true},
        {padded(u"http", 256), true, true},
        {padded(u"http", 257), false, false},
        {padded(u"http", 100000), false, false},
        {padded(u"see", 252) + u".com", false, true},
        {padded(u"see", 253) + u".com", false, false},
        {padded(u"", 256), false, false},
    });
    // Surrogate pairs count as two units each.
    std::u16string emoji = u"http";
    for (int i = 0; i < 126; ++i) {
        emoji += u"\U0001F600";
    }
    ASSERT_EQ(emoji.size(), 256u);
    EXPECT_TRUE(isLinkText(emoji, LinkMode::Strict));
    EXPECT_FALSE(isLinkText(emoji + u"x", LinkMode::Strict));
}

TEST(LinkRules, BlanksNulsAndLineBreaks) {
    expectCases({
        {u" ", false, false},
        {std::u16string(256, u' '), false, false},
        {u"\t\r\n", false, false},
        {u"http\0tail"s, true, true},
        {u"\0http"s, false, true},
        {std::u16string(3, u'\0'), false, false},
        {u"http://a\r\nhttp://b", true, true},
        {u"first line\nwww.example", false, true},
        {u"first line\r\nsecond line", false, false},
    });
}

TEST(LinkRules, OnlyAsciiLettersAreFolded) {
    expectCases({
        // Letters outside ASCII neither break a link nor make one.
        {u"HTTP://\u0130STANBUL.example", true, true},
        {u"stra\u00dfe", false, false},
        {u"STRASSE.DE", false, true},
        {u"stra\u00dfe.de", false, true},
        // Greek capitals that look like HTTP are not the identifier.
        {u"\u0397\u03a4\u03a4\u03a1://host", false, true}, // only "://" counts
        {u"\u0397\u03a4\u03a4\u03a1 host", false, false},
        // Dotted capital I folds to i in Unicode, but ".int" is not there in ASCII terms.
        {u"see .\u0130NT", false, false},
        {u"\u03a9\u039c\u0395\u0393\u0391.COM", false, true},
    });
}

} // namespace
} // namespace ziq
