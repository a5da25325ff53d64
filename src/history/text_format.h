#pragma once

#include <string>
#include <string_view>

namespace ziq::history {

// UTF-8 text that may hold invalid bytes, fed in pieces of any size, handed on with each
// invalid byte as U+FFFD and each character through `onCharacter`.
class Utf8Pieces {
public:
    // Returns false from `onCharacter` to stop.
    template <typename OnCharacter> bool add(std::string_view piece, OnCharacter onCharacter);
    template <typename OnCharacter> void finish(OnCharacter onCharacter);

private:
    std::string carry_;
};

// One code point from `text` at `i`, moving `i` on; U+FFFD for an invalid byte. `complete`
// false when the text ends inside a sequence that may still be valid.
char32_t decodeUtf8(std::string_view text, std::size_t& i, bool* complete = nullptr);
void appendUtf8(char32_t c, std::string& out);
// One character inside a JSON string, escaped where JSON asks.
void appendJsonCharacter(char32_t c, std::string& out);
// A JSON string, quotes included.
void appendJsonString(std::string_view utf8, std::string& out);

template <typename OnCharacter>
bool Utf8Pieces::add(std::string_view piece, OnCharacter onCharacter) {
    std::string joined;
    if (!carry_.empty()) {
        joined = carry_ + std::string(piece);
        piece = joined;
        carry_.clear();
    }
    for (std::size_t i = 0; i < piece.size();) {
        const std::size_t at = i;
        bool complete = true;
        const char32_t c = decodeUtf8(piece, i, &complete);
        if (!complete) {
            carry_ = std::string(piece.substr(at));
            return true;
        }
        if (!onCharacter(c)) {
            return false;
        }
    }
    return true;
}

template <typename OnCharacter> void Utf8Pieces::finish(OnCharacter onCharacter) {
    const std::string rest = std::move(carry_);
    carry_.clear();
    for (std::size_t i = 0; i < rest.size();) {
        if (!onCharacter(decodeUtf8(rest, i))) {
            return;
        }
    }
}

} // namespace ziq::history
