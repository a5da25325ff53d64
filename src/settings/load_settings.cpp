#include "settings/load_settings.h"

#include "platform/desktop/message_boxes.h"
#include "profile/profile_file.h"
#include "settings/program_state.h"
#include "settings/read_ini_value.h"
#include "settings/setting_number.h"
#include "settings/settings.h"
#include "settings/settings_paths.h"

#include <array>

namespace ziq {

namespace {

constexpr const char* kWelcome =
    "Welcome to ZIQ!  You can access ZIQ's menu from your System Tray usually located next to "
    "your clock in the taskbar.";

void writeDefault(ProgramState& state, SettingKey where, const std::string& value) {
    const bool ok =
        profile::writeString(where.section, where.key, value, filePath(state.settings.iniPath));
    state.lastWriteResult = ok ? 1 : 0;
}

void initialiseFile(ProgramState& state, MessageBoxes& messages) {
    Settings& s = state.settings;
    writeDefault(state, kClipboardOnKey, "1");
    writeDefault(state, kBeepOnKey, "1");
    writeDefault(state, kAutoOpenViewersKey, "0");
    writeDefault(state, kFrequencyKey, "1");
    writeDefault(state, kAutoSaveKey, "1");
    writeDefault(state, kSaveTypeKey, "3");
    s.savedFilePath = withTrailingSeparator(state.app.programDir);
    writeDefault(state, kSavedFilePathKey, s.savedFilePath);
    writeDefault(state, kHitAndRunKey, "0");
    writeDefault(state, kLinkCatcherOnKey, "1");
    writeDefault(state, kStrictUrlsKey, "1");
    writeDefault(state, kLinkAutoSaveKey, "1");
    writeDefault(state, kLinkSaveTypeKey, "2");
    s.linkSavedFilePath = withTrailingSeparator(state.app.programDir);
    writeDefault(state, kLinkSavedFilePathKey, s.linkSavedFilePath);
    writeDefault(state, kFirstRunKey, "9"); // last, so an interrupted first run starts over
    messages.show(kWelcome, MessageIcon::Information, state.appTitle);
}

void readAll(Settings& s) {
    struct Field {
        SettingKey where;
        std::string Settings::*field;
    };
    static constexpr std::array<Field, 12> kFields{{
        {kClipboardOnKey, &Settings::clipboardOn},
        {kBeepOnKey, &Settings::beepOn},
        {kAutoOpenViewersKey, &Settings::autoOpenViewers},
        {kFrequencyKey, &Settings::frequency},
        {kAutoSaveKey, &Settings::autoSave},
        {kSavedFilePathKey, &Settings::savedFilePath},
        {kSaveTypeKey, &Settings::saveType},
        {kLinkCatcherOnKey, &Settings::linkCatcherOn},
        {kStrictUrlsKey, &Settings::strictUrls},
        {kLinkAutoSaveKey, &Settings::linkAutoSave},
        {kLinkSaveTypeKey, &Settings::linkSaveType},
        {kLinkSavedFilePathKey, &Settings::linkSavedFilePath},
    }};
    for (const Field& f : kFields) {
        s.*(f.field) = ReadIniValue(f.where, s.iniPath);
    }
}

} // namespace

void LoadSettings(ProgramState& state, MessageBoxes& messages) {
    Settings& s = state.settings;
    s.iniPath = settingsFilePath(state.app);
    s.firstRun = ReadIniValue(kFirstRunKey, s.iniPath);

    // From first-run initialisation on, a step that fails reports the file as unwritable
    // and ends the loader; before it, failing steps are skipped.
    const bool initialised = strictEquals(s.firstRun, 9);
    if (!initialised) {
        initialiseFile(state, messages);
    }

    readAll(s);
    const auto hitAndRun = settingByte(ReadIniValue(kHitAndRunKey, s.iniPath));
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
