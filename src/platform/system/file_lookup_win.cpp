#include "platform/system/file_lookup.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace ziq {

const char kSearchPathSeparator = ';';

bool isNormalFile(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    constexpr DWORD kNotNormal =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotNormal) == 0;
}

bool isExecutableFile(const std::string& path) {
    return isNormalFile(path);
}

// The registry lookups find the tool on Windows; nothing to guess there.
std::span<const std::string_view> sysInfoPrograms() {
    return {};
}

} // namespace ziq
