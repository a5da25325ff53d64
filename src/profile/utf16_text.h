#pragma once

#include <string>
#include <string_view>

// Profile files that Notepad saved as "Unicode": UTF-16 little-endian after the mark FF FE.
// Windows' own profile functions read them and keep them in UTF-16 when they write, so the
// engine does the same: such a file is decoded whole, parsed as UTF-8 text and, when it
// changes, written back whole in UTF-16.
namespace ziq::profile {

inline constexpr std::string_view kUtf16Mark = "\xFF\xFE";

// UTF-16LE bytes (without the mark) as UTF-8. A surrogate without its pair becomes the
// three bytes it would be alone, so that the way back gives every unit as it was; a lone last
// byte reads as the character it would be with a zero high byte.
std::string utf8FromUtf16(std::string_view bytes);
// UTF-8 text as UTF-16LE bytes, undoing utf8FromUtf16; a byte that is no part of a UTF-8
// sequence becomes U+FFFD.
std::string utf16FromUtf8(std::string_view text);

} // namespace ziq::profile
