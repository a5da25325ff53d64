#include "platform/system/executable_directory.h"

#include "platform/system/app_info.h"
#include "platform/system/executable_path.h"

namespace ziq {

std::string folderOfExecutable(const std::string& executablePath) {
    const std::size_t last = executablePath.find_last_of(pathSeparators());
    if (last == std::string::npos) {
        return {};
    }
    std::string folder = executablePath.substr(0, last);
    // A root keeps its separator: "/" rather than nothing, "C:\" rather than the drive's
    // working folder "C:".
    if (folder.empty() || folder.back() == ':') {
        folder += kPathSeparator;
    }
    return folder;
}

std::string executableDirectory() {
    return folderOfExecutable(executablePath());
}

} // namespace ziq
