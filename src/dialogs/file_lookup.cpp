#include "dialogs/file_lookup.h"

#include <array>
#include <cstdlib>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace ziq {

namespace {
#ifdef _WIN32
constexpr char kSearchPathSeparator = ';';
// The registry lookups find the tool on Windows; nothing to guess there.
constexpr std::array<std::string_view, 0> kSysInfoPrograms{};
#else
constexpr char kSearchPathSeparator = ':';
// Dedicated system report viewers first, as they show what the user came for (hardware,
// system and drivers); then the desktops' system monitors, which at least show the machine
// and what runs on it. Graphical programs only: the tool starts without a terminal.
constexpr std::array<std::string_view, 8> kSysInfoPrograms{"hardinfo2",
                                                           "hardinfo",
                                                           "kinfocenter",
                                                           "gnome-system-monitor",
                                                           "plasma-systemmonitor",
                                                           "ksysguard",
                                                           "mate-system-monitor",
                                                           "xfce4-taskmanager"};
#endif

bool isExecutableFile(const std::string& path) {
#ifdef _WIN32
    return isNormalFile(path);
#else
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
#endif
}
} // namespace

bool isNormalFile(const std::string& path) {
    if (path.empty()) {
        return false;
    }
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesA(path.c_str());
    constexpr DWORD kNotNormal =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotNormal) == 0;
#else
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
#endif
}

std::optional<std::string> findOnSearchPath(std::span<const std::string_view> names,
                                            std::string_view searchPath) {
    for (const std::string_view name : names) {
        std::string_view rest = searchPath;
        while (true) {
            const std::size_t end = rest.find(kSearchPathSeparator);
            const std::string_view folder = rest.substr(0, end);
            if (!folder.empty() && std::filesystem::path(folder).is_absolute()) {
                const std::string candidate =
                    (std::filesystem::path(folder) / std::filesystem::path(name)).string();
                if (isExecutableFile(candidate)) {
                    return candidate;
                }
            }
            if (end == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(end + 1);
        }
    }
    return std::nullopt;
}

std::string currentSearchPath() {
    const char* value = std::getenv("PATH");
    return value != nullptr ? std::string(value) : std::string();
}

std::span<const std::string_view> sysInfoPrograms() {
    return kSysInfoPrograms;
}

} // namespace ziq
