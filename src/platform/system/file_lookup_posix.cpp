#include "platform/system/file_lookup.h"

#include <array>
#include <filesystem>
#include <unistd.h>

namespace ziq {

namespace {
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
} // namespace

const char kSearchPathSeparator = ':';

bool isNormalFile(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool isExecutableFile(const std::string& path) {
    return isNormalFile(path) && access(path.c_str(), X_OK) == 0;
}

std::span<const std::string_view> sysInfoPrograms() {
    return kSysInfoPrograms;
}

std::string sysInfoSearchPath() {
    return currentSearchPath();
}

} // namespace ziq
