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
        profile::writeString(where.section, where.key, value, filePath(state.settings.iniPath),
                             profile::NewFileAccess::NotChangedByOthers);
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
    s.savedFilePath = defaultLogFolder(state.app);
    writeDefault(state, kSavedFilePathKey, s.savedFilePath);
    writeDefault(state, kHitAndRunKey, "0");
    writeDefault(state, kLinkCatcherOnKey, "1");
    writeDefault(state, kStrictUrlsKey, "1");
    writeDefault(state, kLinkAutoSaveKey, "1");
    writeDefault(state, kLinkSaveTypeKey, "2");
    s.linkSavedFilePath = defaultLogFolder(state.app);
    writeDefault(state, kLinkSavedFilePathKey, s.linkSavedFilePath);
    writeDefault(state, kFirstRunKey, "9"); // last, so an interrupted first run starts over
    messages.show(kWelcome, MessageIcon::Information, state.appTitle);
}

// What a field holds when the file cannot tell: the first run's default, or (nullptr) the
// program's folder.
struct Field {
    SettingKey where;
    std::string Settings::*field;
    const char* fallback;
};

constexpr std::array<Field, 12> kFields{{
    {kClipboardOnKey, &Settings::clipboardOn, "1"},
    {kBeepOnKey, &Settings::beepOn, "1"},
    {kAutoOpenViewersKey, &Settings::autoOpenViewers, "0"},
    {kFrequencyKey, &Settings::frequency, "1"},
    {kAutoSaveKey, &Settings::autoSave, "1"},
    {kSavedFilePathKey, &Settings::savedFilePath, nullptr},
    {kSaveTypeKey, &Settings::saveType, "3"},
    {kLinkCatcherOnKey, &Settings::linkCatcherOn, "1"},
    {kStrictUrlsKey, &Settings::strictUrls, "1"},
    {kLinkAutoSaveKey, &Settings::linkAutoSave, "1"},
    {kLinkSaveTypeKey, &Settings::linkSaveType, "2"},
    {kLinkSavedFilePathKey, &Settings::linkSavedFilePath, nullptr},
}};

// False once the file could not be read; the fields it did not give keep what the running
// program has, or take their defaults at start-up, and it is not read again.
bool readAll(ProgramState& state, bool readable) {
    Settings& s = state.settings;
    for (const Field& f : kFields) {
        profile::FileState file = profile::FileState::Unreadable;
        if (readable) {
            const std::string value = ReadIniValue(f.where, s.iniPath, file);
            readable = file != profile::FileState::Unreadable;
            if (readable) {
                s.*(f.field) = value;
                continue;
            }
        }
        if ((s.*(f.field)).empty()) {
            s.*(f.field) = f.fallback ? f.fallback : withTrailingSeparator(state.app.programDir);
        }
    }
    return readable;
}

} // namespace

void LoadSettings(ProgramState& state, MessageBoxes& messages) {
    Settings& s = state.settings;
    s.iniPath = settingsFilePath(state.app);
    const std::string writeError =
        "Error Writing to " + s.iniPath + ", make sure it is not write protected.";
    profile::FileState file = profile::FileState::Read;
    s.firstRun = ReadIniValue(kFirstRunKey, s.iniPath, file);

    // A file that is there but cannot be read (held by another program past the retries) is
    // not a first run: nothing is written over it, and the user hears that it was not used.
    if (file == profile::FileState::Unreadable) {
        readAll(state, false);
        messages.show(writeError, MessageIcon::None, state.appTitle);
        return;
    }

    // From first-run initialisation on, a step that fails reports the file as unwritable
    // and ends the loader; before it, failing steps are skipped.
    const bool initialised = strictEquals(s.firstRun, 9);
    if (!initialised) {
        initialiseFile(state, messages);
    }

    const bool readable = readAll(state, true);
    const auto hitAndRun =
        readable ? settingByte(ReadIniValue(kHitAndRunKey, s.iniPath, file)) : std::nullopt;
    if (hitAndRun) {
        s.hitAndRun = *hitAndRun;
    } else if (!initialised || !readable || file == profile::FileState::Unreadable) {
        messages.show(writeError, MessageIcon::None, state.appTitle);
        return;
    }

    if (state.app.commandLine == "99") {
        s.hitAndRun = 0;
    }
}

} // namespace ziq
