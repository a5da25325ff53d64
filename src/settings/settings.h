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

// Where a setting is kept in "ziq2.ini".
struct SettingKey {
    const char* section;
    const char* key;
};

inline constexpr SettingKey kClipboardOnKey{"ZIQ", "ON"};
inline constexpr SettingKey kBeepOnKey{"ZIQ", "BEEPON"};
inline constexpr SettingKey kAutoOpenViewersKey{"ZIQ", "AUTOOOPENVIEWERS"};
inline constexpr SettingKey kFrequencyKey{"ZIQ", "FREQUENCY"};
inline constexpr SettingKey kAutoSaveKey{"ZIQ", "AUTOSAVE"};
inline constexpr SettingKey kSaveTypeKey{"ZIQ", "SAVETYPE"};
inline constexpr SettingKey kSavedFilePathKey{"ZIQ", "SAVEDFILEPATH"};
inline constexpr SettingKey kHitAndRunKey{"ZIQ", "HITNRUN"};
inline constexpr SettingKey kFirstRunKey{"ZIQ", "FIRSTRUN"};
inline constexpr SettingKey kLinkCatcherOnKey{"LINKCATCHER", "ON"};
inline constexpr SettingKey kStrictUrlsKey{"LINKCATCHER", "STRICTURLS"};
inline constexpr SettingKey kLinkAutoSaveKey{"LINKCATCHER", "AUTOSAVE"};
inline constexpr SettingKey kLinkSaveTypeKey{"LINKCATCHER", "SAVETYPE"};
inline constexpr SettingKey kLinkSavedFilePathKey{"LINKCATCHER", "linkcatcherSAVEDFILEPATH"};

} // namespace ziq
