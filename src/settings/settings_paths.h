#pragma once

#include <filesystem>
#include <string>

namespace ziq {

struct AppInfo;

// The settings file, formed afresh from its folder (the program directory unless the program
// keeps its files elsewhere).
std::string settingsFilePath(const AppInfo& app);

// The folder both logs go to until the user picks others, ending in a separator.
std::string defaultLogFolder(const AppInfo& app);

// A UTF-8 path text as a filesystem path; empty, which no write accepts, when it names none.
std::filesystem::path filePath(const std::string& utf8);

} // namespace ziq
