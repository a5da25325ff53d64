#pragma once

#include <cstdint>
#include <string>

namespace ziq {

// Every field but hitAndRun holds the text of one key of "ziq2.ini", exactly as read.
// Flags and choices are compared as numbers (setting_number.h), never as text.
struct Settings {
    std::string iniPath;
    std::string clipboardOn;
    std::string beepOn;
    std::string autoOpenViewers;
    std::string frequency;
    std::string autoSave;
    std::string saveType;
    std::string savedFilePath;
    std::string linkCatcherOn;
    std::string strictUrls;
    std::string linkAutoSave;
    std::string linkSaveType;
    std::string linkSavedFilePath;
    std::uint8_t hitAndRun = 0;
    std::string firstRun;
};

inline constexpr const char* kSettingsFileName = "ziq2.ini";

} // namespace ziq
