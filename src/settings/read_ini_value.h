#pragma once

#include "profile/profile_file.h"

#include <string>
#include <string_view>

namespace ziq {

struct SettingKey;

// One key of a profile file: the stored value (at most 126 characters) or empty text.
std::string ReadIniValue(std::string_view section, std::string_view key, const std::string& path);
// The same for one of the program's own settings.
std::string ReadIniValue(SettingKey where, const std::string& path);
// The same, saying whether the file could be read.
std::string ReadIniValue(SettingKey where, const std::string& path, profile::FileState& state);

} // namespace ziq
