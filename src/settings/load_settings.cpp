#include "settings/load_settings.h"

#include "platform/message_boxes.h"
#include "platform/profile/profile_file.h"
#include "settings/program_state.h"
#include "settings/read_ini_value.h"
#include "settings/setting_number.h"
#include "settings/settings_paths.h"

#include <array>

namespace ziq {

namespace {

constexpr const char* kWelcome =
    "Welcome to ZIQ!  You can access ZIQ's menu from your System Tray usually located next to "
    "your clock in the taskbar.";

void writeDefault(ProgramState& state, const char* section, const char* key,
                  const std::string& value) {
    const bool ok = profile::writeString(section, key, value, filePath(state.settings.iniPath));
    state.lastWriteResult = ok ? 1 : 0;
}

void initialiseFile(ProgramState& state, MessageBoxes& messages) {
    Settings& s = state.settings;
    writeDefault(state, "ZIQ", "ON", "1");
    writeDefault(state, "ZIQ", "BEEPON", "1");
    writeDefault(state, "ZIQ", "AUTOOOPENVIEWERS", "0");
    writeDefault(state, "ZIQ", "FREQUENCY", "1");
    writeDefault(state, "ZIQ", "AUTOSAVE", "1");
    writeDefault(state, "ZIQ", "SAVETYPE", "3");
    s.savedFilePath = withTrailingSeparator(state.app.programDir);
    writeDefault(state, "ZIQ", "SAVEDFILEPATH", s.savedFilePath);
    writeDefault(state, "ZIQ", "HITNRUN", "0");
    writeDefault(state, "LINKCATCHER", "ON", "1");
    writeDefault(state, "LINKCATCHER", "STRICTURLS", "1");
    writeDefault(state, "LINKCATCHER", "AUTOSAVE", "1");
    writeDefault(state, "LINKCATCHER", "SAVETYPE", "2");
    s.linkSavedFilePath = withTrailingSeparator(state.app.programDir);
    writeDefault(state, "LINKCATCHER", "linkcatcherSAVEDFILEPATH", s.linkSavedFilePath);
    writeDefault(state, "ZIQ", "FIRSTRUN", "9"); // last, so an interrupted first run starts over
    messages.show(kWelcome, MessageIcon::Information, state.appTitle);
}

void readAll(Settings& s) {
    struct Field {
        const char* section;
        const char* key;
        std::string Settings::*field;
    };
    static constexpr std::array<Field, 12> kFields{{
        {"ZIQ", "ON", &Settings::clipboardOn},
        {"ZIQ", "BEEPON", &Settings::beepOn},
        {"ZIQ", "AUTOOOPENVIEWERS", &Settings::autoOpenViewers},
        {"ZIQ", "FREQUENCY", &Settings::frequency},
        {"ZIQ", "AUTOSAVE", &Settings::autoSave},
        {"ZIQ", "SAVEDFILEPATH", &Settings::savedFilePath},
        {"ZIQ", "SAVETYPE", &Settings::saveType},
        {"LINKCATCHER", "ON", &Settings::linkCatcherOn},
        {"LINKCATCHER", "STRICTURLS", &Settings::strictUrls},
        {"LINKCATCHER", "AUTOSAVE", &Settings::linkAutoSave},
        {"LINKCATCHER", "SAVETYPE", &Settings::linkSaveType},
        {"LINKCATCHER", "linkcatcherSAVEDFILEPATH", &Settings::linkSavedFilePath},
    }};
    for (const Field& f : kFields) {
        s.*(f.field) = ReadIniValue(f.section, f.key, s.iniPath);
    }
}

} // namespace

void LoadSettings(ProgramState& state, MessageBoxes& messages) {
    Settings& s = state.settings;
    s.iniPath = settingsFilePath(state.app);
    s.firstRun = ReadIniValue("ZIQ", "FIRSTRUN", s.iniPath);

    // From first-run initialisation on, a step that fails reports the file as unwritable
    // and ends the loader; before it, failing steps are skipped.
    const bool initialised = strictEquals(s.firstRun, 9);
    if (!initialised) {
        initialiseFile(state, messages);
    }

    readAll(s);
    const auto hitAndRun = settingByte(ReadIniValue("ZIQ", "HITNRUN", s.iniPath));
    if (hitAndRun) {
        s.hitAndRun = *hitAndRun;
    } else if (!initialised) {
        messages.show("Error Writing to " + s.iniPath + ", make sure it is not write protected.",
                      MessageIcon::None, state.appTitle);
        return;
    }

    if (state.app.commandLine == "99") {
        s.hitAndRun = 0;
    }
}

} // namespace ziq
