#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ziq {

// A setting's text read as a number: blanks around it allowed, '.' as decimal point,
// an optional exponent. Empty text and words are not numbers.
std::optional<double> settingNumber(std::string_view text);

// Two rules for comparing a setting with a number, named so each call site says which it
// follows. Under the guarded-step rule a text that is not a number lets the guarded step
// run, so it counts as a match; where nothing is trapped it counts as no match.
bool guardedEquals(std::string_view text, int number);
bool strictEquals(std::string_view text, int number);

// The text rounded (half to even) to a whole number in 0..255; nullopt when it is not a
// number or lies outside that range.
std::optional<std::uint8_t> settingByte(std::string_view text);

} // namespace ziq
