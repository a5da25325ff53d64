#include "platform/executable_directory.h"

#include "platform/app_info.h"

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#else
#include <unistd.h>
#endif

#include <string_view>

namespace ziq {

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/";
// Paths may be up to 32767 characters long past the "\\?\" prefix.
constexpr std::size_t kLongestPath = 32768;

std::string executablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        // Cut off: the whole path did not fit.
        if (path.size() >= kLongestPath) {
            return {};
        }
        path.resize(path.size() * 2);
    }
    const std::u8string utf8 = std::filesystem::path(path).u8string();
    return {utf8.begin(), utf8.end()};
}
#else
constexpr std::string_view kSeparators = "/";

std::string executablePath() {
#ifdef __linux__
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length <= 0) {
            return {};
        }
        if (std::size_t(length) < path.size()) {
            path.resize(std::size_t(length));
            return path;
        }
        path.resize(path.size() * 2);
    }
#else
    return {};
#endif
}
#endif

} // namespace

std::string folderOfExecutable(const std::string& executablePath) {
    const std::size_t last = executablePath.find_last_of(kSeparators);
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
