#include "settings/settings_paths.h"

#include "platform/system/app_info.h"
#include "platform/system/file_text.h"
#include "settings/settings.h"

namespace ziq {

std::string settingsFilePath(const AppInfo& app) {
    return joinProgramPath(app.settingsDir.empty() ? app.programDir : app.settingsDir,
                           kSettingsFileName);
}

std::string defaultLogFolder(const AppInfo& app) {
    return withTrailingSeparator(app.logDir.empty() ? app.programDir : app.logDir);
}

std::filesystem::path filePath(const std::string& utf8) {
    return pathFromUtf8(utf8);
}

} // namespace ziq
