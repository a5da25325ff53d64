#include "capture/link_rules.h"

#include <algorithm>
#include <string>

namespace ziq {

namespace {

// Only A-Z are folded. Every identifier and fragment is ASCII, so nothing else could ever
// match; full Unicode folding could change the length (and so the limit) and could turn a
// non-ASCII letter into an ASCII one (U+0130 or the Kelvin sign) and make a link of it.
std::u16string asciiLower(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z') {
            c = char16_t(c - u'A' + u'a');
        }
    }
    return lower;
}

bool startsWithIdentifier(std::u16string_view lower) {
    return std::ranges::any_of(linkPrefixes, [lower](std::u16string_view identifier) {
        // A text shorter than the identifier is compared whole, and so never equals it.
        return lower.substr(0, identifier.size()) == identifier;
    });
}

bool containsFragment(std::u16string_view lower) {
    return std::ranges::any_of(linkFragments, [lower](std::u16string_view fragment) {
        return lower.find(fragment) != std::u16string_view::npos;
    });
}

} // namespace

bool isLinkText(std::u16string_view text, LinkMode mode) {
    if (text.size() > kLinkLengthLimit) {
        return false;
    }
    const std::u16string lower = asciiLower(text);
    if (startsWithIdentifier(lower)) {
        return true;
    }
    return mode == LinkMode::Loose && containsFragment(lower);
}

} // namespace ziq
