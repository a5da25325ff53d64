#pragma once

#include "platform/system/app_info.h"
#include "settings/settings.h"

#include <cstdint>
#include <string>

namespace ziq {

// Which log folder the folder browser chooses.
enum class BrowseTarget : std::uint8_t { None, ClipboardLog, LinkLog };

// Shared by the options window and the folder browser while a log folder is being chosen.
struct BrowseState {
    BrowseTarget browseTarget = BrowseTarget::None;
    std::string pendingLogPath;
    std::string pendingLinkLogPath;
    std::uint8_t logPathChanged = 0;
    std::uint8_t linkLogPathChanged = 0;
};

// The program-wide values that need no window. One instance per running program.
struct ProgramState {
    AppInfo app;
    Settings settings;
    std::int16_t lastWriteResult = 0;
    std::uint8_t shuttingDown = 0;
    BrowseState browse;
    std::string appTitle = "ZIQ2";
};

} // namespace ziq
