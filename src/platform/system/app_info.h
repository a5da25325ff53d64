#pragma once

#include "platform/system/version.h"

#include <string>

namespace ziq {

// What the program knows about itself. Texts are UTF-8.
struct AppInfo {
    std::string programDir;  // the executable's folder; trailing separator only at a root
    std::string commandLine; // the arguments after the program's name, joined by blanks
    // The folders of "ziq2.ini" and of the default logs; empty means the program's own.
    std::string settingsDir;
    std::string logDir;
    int versionMajor = kVersionMajor;
    int versionMinor = kVersionMinor;
    int versionRevision = kVersionRevision;
    std::string fileDescription = "ZIQ2 Zimbrel Windows Clipboard Utility";
};

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr bool kPathsIgnoreCase = true;
#else
inline constexpr char kPathSeparator = '/';
inline constexpr bool kPathsIgnoreCase = false;
#endif

// Folder + file name with exactly one separator between them (a root already ends in one).
std::string joinProgramPath(const std::string& folder, const std::string& fileName);

// The folder with a trailing separator ensured.
std::string withTrailingSeparator(std::string folder);

} // namespace ziq
