#include "platform/system/app_info.h"

namespace ziq {

std::string withTrailingSeparator(std::string folder) {
    if (folder.empty() || folder.back() != kPathSeparator) {
        folder += kPathSeparator;
    }
    return folder;
}

std::string joinProgramPath(const std::string& folder, const std::string& fileName) {
    return withTrailingSeparator(folder) + fileName;
}

} // namespace ziq
