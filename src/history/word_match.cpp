#include "history/word_match.h"

#include "history/case_fold.h"
#include "history/text_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ziq::history {

namespace {

constexpr std::size_t kMaxWords = 64;

constexpr std::array<unsigned char, 256> kAsciiLower = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[static_cast<std::size_t>(c)] =
            static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    return table;
}();

// How common a byte is in text, roughly: the search looks for the rarest byte of a word.
int commonness(unsigned char c) {
    static constexpr std::string_view kByFrequency = " etaoinshrdlcumwfgypbvkjxqz";
    const std::size_t at = kByFrequency.find(static_cast<char>(kAsciiLower[c]));
    if (at != std::string_view::npos) {
        return 100 - static_cast<int>(at);
    }
    return c >= '0' && c <= '9' ? 60 : 50;
}

std::size_t rarestByte(const std::string& word) {
    std::size_t rarest = 0;
    for (std::size_t i = 1; i < word.size(); ++i) {
        if (commonness(static_cast<unsigned char>(word[i])) <
            commonness(static_cast<unsigned char>(word[rarest]))) {
            rarest = i;
        }
    }
    return rarest;
}

bool isLowerLetter(unsigned char c) {
    return c >= 'a' && c <= 'z';
}

// The word at `start`, ASCII letters compared without case.
bool wordAt(const unsigned char* start, const std::string& word) {
    const auto* w = reinterpret_cast<const unsigned char*>(word.data());
    for (std::size_t k = 0; k < word.size(); ++k) {
        if (kAsciiLower[start[k]] != w[k]) {
            return false;
        }
    }
    return true;
}

// Tests two bytes of the word (its rarest and another) at sixteen places at once, and compares
// the whole word only where both fit.
// Calls `onHit` with each place the word starts at, until it returns true (then true).
template <typename OnHit>
bool eachPlaceIgnoringAsciiCase(std::string_view text, const std::string& word, std::size_t rare,
                                std::size_t other, OnHit onHit) {
    const std::size_t n = word.size();
    if (n > text.size()) {
        return false;
    }
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t last = text.size() - n; // the last place the word may start
    std::size_t p = 0;
#if defined(__SSE2__)
    const auto test = [&](std::size_t at) {
        const auto c = static_cast<unsigned char>(word[at]);
        // A letter's byte with 0x20 set is its lower case; other bytes may match falsely
        // there, which the whole comparison sorts out.
        return std::pair{_mm_set1_epi8(static_cast<char>(c)),
                         _mm_set1_epi8(static_cast<char>(isLowerLetter(c) ? 0x20 : 0))};
    };
    const auto [rareByte, rareCase] = test(rare);
    const auto [otherByte, otherCase] = test(other);
    for (; last >= 15 && p <= last - 15; p += 16) {
        const __m128i first = _mm_cmpeq_epi8(
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t + p + rare)), rareCase),
            rareByte);
        const __m128i second = _mm_cmpeq_epi8(
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t + p + other)),
                         otherCase),
            otherByte);
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(first, second)));
        while (mask != 0) {
            const std::size_t at = p + static_cast<std::size_t>(std::countr_zero(mask));
            if (wordAt(t + at, word) && onHit(at)) {
                return true;
            }
            mask &= mask - 1;
        }
    }
#endif
    (void)other;
    const auto rareLower = static_cast<unsigned char>(word[rare]);
    for (; p <= last; ++p) {
        if (kAsciiLower[t[p + rare]] == rareLower && wordAt(t + p, word) && onHit(p)) {
            return true;
        }
    }
    return false;
}

bool containsIgnoringAsciiCase(std::string_view text, const std::string& word, std::size_t rare,
                               std::size_t other) {
    return eachPlaceIgnoringAsciiCase(text, word, rare, other, [](std::size_t) { return true; });
}

bool holdsFoldingIntoAscii(std::string_view text) {
    // K (U+212A KELVIN SIGN) folds to k and ſ (U+017F) to s.
    return text.find("\xE2\x84\xAA") != std::string_view::npos ||
           text.find("\xC5\xBF") != std::string_view::npos;
}

} // namespace

std::string foldedText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        appendUtf8(foldCase(decodeUtf8(text, i)), out);
    }
    return out;
}

WordMatcher::WordMatcher(const std::vector<std::string>& words) {
    for (const std::string& raw : words) {
        if (raw.empty() || words_.size() == kMaxWords) {
            continue;
        }
        Word word;
        word.folded = foldedText(raw);
        word.ascii = std::all_of(word.folded.begin(), word.folded.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        word.foldsFromBeyondAscii = word.folded.find_first_of("ks") != std::string::npos;
        const std::size_t n = word.folded.size();
        word.rare = rarestByte(word.folded);
        word.other = word.rare + 1 == n ? 0 : n - 1;
        // Four bytes at most for each character of the text an occurrence spans.
        overlap_ = std::max(overlap_, 4 * n);
        words_.push_back(std::move(word));
    }
    all_ = words_.size() == kMaxWords ? ~std::uint64_t{0} : (std::uint64_t{1} << words_.size()) - 1;
}

bool WordMatcher::places(std::string_view text, std::vector<std::uint32_t>& out) const {
    out.clear();
    const Word* longest = nullptr;
    for (const Word& word : words_) {
        if (word.ascii && (longest == nullptr || word.folded.size() > longest->folded.size())) {
            longest = &word;
        }
    }
    if (longest == nullptr || (longest->foldsFromBeyondAscii && holdsFoldingIntoAscii(text))) {
        return false;
    }
    placeLength_ = longest->folded.size();
    eachPlaceIgnoringAsciiCase(text, longest->folded, longest->rare, longest->other,
                               [&](std::size_t at) {
                                   out.push_back(static_cast<std::uint32_t>(at));
                                   return false;
                               });
    return true;
}

std::uint64_t WordMatcher::find(std::string_view text, std::uint64_t found) const {
    std::string folded;
    bool haveFolded = false;
    for (std::size_t i = 0; i < words_.size(); ++i) {
        const std::uint64_t bit = std::uint64_t{1} << i;
        if ((found & bit) != 0) {
            continue;
        }
        const Word& word = words_[i];
        bool hit =
            word.ascii && containsIgnoringAsciiCase(text, word.folded, word.rare, word.other);
        if (!hit && (!word.ascii || (word.foldsFromBeyondAscii && holdsFoldingIntoAscii(text)))) {
            if (!haveFolded) {
                folded = foldedText(text);
                haveFolded = true;
            }
            hit = std::string_view(folded).find(word.folded) != std::string_view::npos;
        }
        if (hit) {
            found |= bit;
        }
    }
    return found;
}

} // namespace ziq::history
