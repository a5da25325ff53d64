#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace ziq {

enum class LinkMode {
    Strict, // the text must start with an identifier
    Loose,  // or contain a fragment anywhere
};

// Longer texts are never links. A text of exactly this length is still examined.
inline constexpr std::size_t kLinkLengthLimit = 256;

// The identifiers a link may start with, in the order they are tried.
inline constexpr std::array<std::u16string_view, 6> linkPrefixes{
    u"http", u"www.", u"mailto:", u"ftp", u"nntp", u"news.",
};

// What a link may contain anywhere (loose mode), in the order they are tried; ".us" is
// listed twice, which costs a search but changes no outcome.
inline constexpr std::array<std::u16string_view, 33> linkFragments{
    u"http", u"mailto:", u"://",     u"www.",  u".com", u".net",  u".org",  u".info", u".name",
    u"@",    u".edu",    u".gov",    u"https", u"ftp.", u"news.", u"nntp.", u"mail.", u".us",
    u".biz", u".coop",   u".museum", u".aero", u".mil", u".int",  u".ca",   u".ch",   u".cn",
    u".co",  u".de",     u".fr",     u".ru",   u".uk",  u".us",
};

// An empty entry would be found in every text.
static_assert(std::ranges::none_of(linkFragments, &std::u16string_view::empty));

// Whether a captured text counts as a link. Lengths and positions are UTF-16 code units,
// as the text box counts them.
bool isLinkText(std::u16string_view text, LinkMode mode);

} // namespace ziq
