#pragma once

#include <string>

namespace ziq {

// The folder that holds the running program's own file, never the working folder: UTF-8
// with native separators, a trailing separator only at a root (C:\ or /). Empty when the
// system does not tell.
std::string executableDirectory();

// The folder part of a program's full path, by the same rule.
std::string folderOfExecutable(const std::string& executablePath);

} // namespace ziq
