#include "capture/clipboard_log.h"

#include "capture/clipboard_log_naming.h"
#include "platform/desktop/message_boxes.h"
#include "profile/profile_file.h"
#include "settings/program_state.h"
#include "settings/setting_number.h"
#include "settings/settings_paths.h"

#include <filesystem>

namespace ziq {

void writeClipboardLog(ProgramState& state, const Clock& clock, MessageBoxes& messages,
                       std::string_view text) {
    Settings& settings = state.settings;
    if (!guardedEquals(settings.autoSave, 1)) {
        return;
    }
    // The log path is built where the settings path lives; every user of the settings file
    // forms that path afresh.
    settings.iniPath = settings.savedFilePath;
    const auto target = clipboardLogTarget(settings.saveType, settings.savedFilePath, clock.now());
    if (!target) {
        return; // no scheme, no write: an older failure is not reported again
    }
    settings.iniPath = target->file;
    // The log holds whatever the user copied, passwords included: keep it private. A folder
    // that is not absolute would put it wherever the program was started from.
    const std::filesystem::path file = filePath(target->file);
    const bool written =
        file.is_absolute() && profile::writeString(target->section, kClipboardLogKey, text, file,
                                                   profile::NewFileAccess::OwnerOnly);
    state.lastWriteResult = written ? 1 : 0;
    if (!written) {
        messages.show(clipboardLogErrorMessage(target->file), MessageIcon::Exclamation,
                      state.appTitle);
    }
}

} // namespace ziq
