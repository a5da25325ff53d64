#include "settings/read_ini_value.h"

#include "platform/system/file_text.h"
#include "profile/profile_file.h"
#include "settings/settings.h"
#include "settings/settings_paths.h"

namespace ziq {

namespace {
// The value comes into a buffer of 128 characters with room for its terminator.
constexpr std::size_t kBufferSize = 128;
} // namespace

std::string ReadIniValue(std::string_view section, std::string_view key, const std::string& path) {
    return utf8FromFileText(profile::readString(section, key, "", kBufferSize - 1, filePath(path)));
}

std::string ReadIniValue(SettingKey where, const std::string& path) {
    return ReadIniValue(where.section, where.key, path);
}

std::string ReadIniValue(SettingKey where, const std::string& path, profile::FileState& state) {
    return utf8FromFileText(
        profile::readString(where.section, where.key, "", kBufferSize - 1, filePath(path), state));
}

} // namespace ziq
