#pragma once

#include <filesystem>
#include <string>

// Text that comes from a file (a settings value, a log folder) as the program's UTF-8; one
// file per system (file_text_win.cpp, file_text_posix.cpp).
namespace ziq {

// On Windows a text that is not valid UTF-8 was written in the ANSI code page (cmd's echo,
// PowerShell 5's Set-Content, the ANSI profile functions) and is converted from it; elsewhere
// bytes are bytes and the text comes back as it is.
std::string utf8FromFileText(std::string text);

// The path that a UTF-8 path text names, read as utf8FromFileText reads it; empty when the
// system cannot name it. Never throws.
std::filesystem::path pathFromUtf8(const std::string& text) noexcept;

} // namespace ziq
