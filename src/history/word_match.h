#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ziq::history {

// Finds words in texts: every word must occur, letter case ignored by Unicode simple case
// folding, every character literal. Texts are UTF-8; an invalid byte matches only itself.
// Const use is safe from several threads.
class WordMatcher {
public:
    explicit WordMatcher(const std::vector<std::string>& words); // blank words are dropped

    bool empty() const { return words_.empty(); }
    // Adds the words found in `text` to `found` (bit i for word i) and returns it.
    std::uint64_t find(std::string_view text, std::uint64_t found = 0) const;
    std::uint64_t all() const { return all_; }
    bool matches(std::string_view text) const { return find(text) == all_; }
    // Where in `text` (of at most 4 GiB) one of the words starts, for a search that skips the
    // entries that cannot match; false when no word can say so (none is ASCII, or the text
    // holds characters that fold into ASCII).
    bool places(std::string_view text, std::vector<std::uint32_t>& out) const;
    // The length in bytes of the word places() looked for.
    std::size_t placeLength() const { return placeLength_; }
    // Pieces of one text searched in turn must overlap by this much to miss nothing.
    std::size_t overlap() const { return overlap_; }

private:
    struct Word {
        std::string folded; // UTF-8
        bool ascii = true;
        bool foldsFromBeyondAscii = false; // holds k or s, which K (Kelvin) and ſ fold to
        std::size_t rare = 0;              // where its rarest byte is
        std::size_t other = 0;             // a second byte tested with it
    };
    std::vector<Word> words_;
    std::uint64_t all_ = 0;
    std::size_t overlap_ = 0;
    mutable std::size_t placeLength_ = 0;
};

// The text with every character folded, invalid bytes as U+FFFD.
std::string foldedText(std::string_view text);

} // namespace ziq::history
