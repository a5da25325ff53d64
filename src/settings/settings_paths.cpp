#include "settings/settings_paths.h"

#include "platform/system/app_info.h"
#include "settings/settings.h"

namespace ziq {

std::string settingsFilePath(const AppInfo& app) {
    return joinProgramPath(app.programDir, kSettingsFileName);
}

std::filesystem::path filePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace ziq
