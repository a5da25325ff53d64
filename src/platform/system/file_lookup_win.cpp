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

// Where the registry names no tool, Windows' own.
std::span<const std::string_view> sysInfoPrograms() {
    static constexpr std::string_view kPrograms[] = {"msinfo32.exe"};
    return kPrograms;
}

std::string sysInfoSearchPath() {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

} // namespace ziq
