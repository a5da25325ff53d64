#pragma once

#include <string>
#include <string_view>

// What the program's folder is found from; one file per system (executable_path_win.cpp,
// executable_path_posix.cpp).
namespace ziq {

// The running program's file, UTF-8; empty where the system does not say.
std::string executablePath();

// The characters that may end a folder in such a path.
std::string_view pathSeparators();

} // namespace ziq
