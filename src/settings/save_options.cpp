#include "settings/save_options.h"

#include "platform/system/app_info.h"
#include "platform/desktop/message_boxes.h"
#include "profile/profile_file.h"
#include "settings/load_settings.h"
#include "settings/program_state.h"
#include "settings/settings.h"
#include "settings/settings_paths.h"

#include <cstdint>

namespace ziq {

namespace {

enum class Source { Check, Option, LogPath, LinkLogPath };

struct Step {
    Source source;
    int control; // the number in the control's name
    SettingKey where;
    const char* text; // what a selected option button writes
};

// The order matters: the file is written key by key, and each write leaves its result for
// the next to see.
constexpr std::array<Step, 20> kSteps{{
    {Source::Check, 1, kClipboardOnKey, nullptr},
    {Source::Check, 2, kBeepOnKey, nullptr},
    {Source::Check, 3, kAutoOpenViewersKey, nullptr},
    {Source::Option, 1, kFrequencyKey, "1"},
    {Source::Option, 2, kFrequencyKey, "2"},
    {Source::Option, 3, kFrequencyKey, "3"},
    {Source::Option, 4, kFrequencyKey, "4"},
    {Source::Option, 5, kFrequencyKey, "5"},
    {Source::Check, 5, kAutoSaveKey, nullptr},
    {Source::Option, 6, kSaveTypeKey, "1"},
    {Source::LogPath, 0, kSavedFilePathKey, nullptr},
    {Source::Option, 7, kSaveTypeKey, "2"},
    {Source::Option, 8, kSaveTypeKey, "3"},
    {Source::Check, 7, kHitAndRunKey, nullptr},
    {Source::Check, 4, kLinkCatcherOnKey, nullptr},
    {Source::Check, 8, kStrictUrlsKey, nullptr},
    {Source::Check, 6, kLinkAutoSaveKey, nullptr},
    {Source::Option, 9, kLinkSaveTypeKey, "1"},
    {Source::Option, 10, kLinkSaveTypeKey, "2"},
    {Source::LinkLogPath, 0, kLinkSavedFilePathKey, nullptr},
}};

constexpr const char* kSaveError =
    "Error saving settings, make sure ini file is not write protected";

// A folder key is written once the user has gone to choose that folder. The separator the
// folder gets here stays in the pending path. An empty path names no folder and is skipped:
// a lone separator would send the logs to the root.
bool folderToWrite(std::uint8_t changed, std::string& pending) {
    if (changed != 1 || pending.empty()) {
        return false;
    }
    pending = withTrailingSeparator(pending);
    return true;
}

} // namespace

bool writeSetting(std::string_view section, std::string_view key, std::string_view value,
                  const std::string& iniPath) {
    return profile::writeString(section, key, value, filePath(iniPath),
                                profile::NewFileAccess::NotChangedByOthers);
}

void SaveOptions(ProgramState& state, MessageBoxes& messages, const OptionsChoice& choice) {
    SaveOptions(state, messages, choice, writeSetting);
}

void SaveOptions(ProgramState& state, MessageBoxes& messages, const OptionsChoice& choice,
                 const SettingWriter& write) {
    Settings& settings = state.settings;
    BrowseState& browse = state.browse;
    settings.iniPath = settingsFilePath(state.app);

    // Any key lost is a save the user must hear of, not only a failed last one.
    bool lostAny = false;
    for (const Step& step : kSteps) {
        std::string_view value; // refers to a constant or to a pending path
        switch (step.source) {
        case Source::Check:
            value = choice.check[step.control] ? "1" : "0";
            break;
        case Source::Option:
            if (!choice.option[step.control]) {
                continue;
            }
            value = step.text;
            break;
        case Source::LogPath:
            if (!folderToWrite(browse.logPathChanged, browse.pendingLogPath)) {
                continue;
            }
            value = browse.pendingLogPath;
            break;
        case Source::LinkLogPath:
            if (!folderToWrite(browse.linkLogPathChanged, browse.pendingLinkLogPath)) {
                continue;
            }
            value = browse.pendingLinkLogPath;
            break;
        }
        state.lastWriteResult =
            write(step.where.section, step.where.key, value, settings.iniPath) ? 1 : 0;
        lostAny = lostAny || state.lastWriteResult == 0;
    }

    if (lostAny) {
        messages.show(kSaveError, MessageIcon::Critical, state.appTitle);
    }
    LoadSettings(state, messages);
}

} // namespace ziq
