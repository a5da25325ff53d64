// Finds its own folder and records it in "ziq2.ini" beside itself, the way ZIQ2 keeps its
// settings file next to the program.
#include "platform/system/app_info.h"
#include "platform/system/executable_directory.h"
#include "profile/profile_file.h"
#include "settings/settings_paths.h"

int main() {
    const std::string folder = ziq::executableDirectory();
    if (folder.empty()) {
        return 2;
    }
    const std::string iniPath = ziq::joinProgramPath(folder, "ziq2.ini");
    return ziq::profile::writeString("probe", "folder", folder, ziq::filePath(iniPath)) ? 0 : 1;
}
