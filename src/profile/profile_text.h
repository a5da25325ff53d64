#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Text rules shared by reading and writing: what a blank is, how names compare, how a stored
// value becomes the returned one.
namespace ziq::profile {

// Blanks trimmed from every line of a file and from names and values inside it.
bool isBlank(char c);
std::string_view trimBlanks(std::string_view text);

// Section and key arguments lose leading and trailing spaces (0x20) only.
std::string_view stripSpaces(std::string_view text);
std::string_view stripTrailingSpaces(std::string_view text);

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// A hash of the name with ASCII letters folded, so names that match hash alike.
std::uint64_t foldedNameHash(std::string_view name);

// One pair of matching outer quotes (" or ') comes off a value of two or more characters.
std::string_view unquote(std::string_view value);

// At most capacity - 1 characters of `text`; a character is one UTF-8 sequence (or one stray
// byte), and a sequence is never split.
std::string cutToCapacity(std::string_view text, std::size_t capacity);

} // namespace ziq::profile
