#pragma once

#include <string>
#include <string_view>

namespace ziq {

// One key of a profile file: the stored value (at most 126 characters) or empty text.
std::string ReadIniValue(std::string_view section, std::string_view key, const std::string& path);

} // namespace ziq
