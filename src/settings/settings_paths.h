#pragma once

#include <filesystem>
#include <string>

namespace ziq {

struct AppInfo;

// The settings file beside the program, formed afresh from the program directory.
std::string settingsFilePath(const AppInfo& app);

// A UTF-8 path text as a filesystem path.
std::filesystem::path filePath(const std::string& utf8);

} // namespace ziq
