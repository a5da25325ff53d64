#include "platform/system/executable_path.h"

#include <windows.h>

#include <filesystem>

namespace ziq {

namespace {
// Paths may be up to 32767 characters long past the "\\?\" prefix.
constexpr std::size_t kLongestPath = 32768;
} // namespace

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

std::string_view pathSeparators() {
    return "\\/";
}

} // namespace ziq
