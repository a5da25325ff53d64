#include "links/link_log.h"

#include "links/link_log_naming.h"
#include "platform/system/clock.h"
#include "platform/desktop/message_boxes.h"
#include "profile/profile_file.h"
#include "settings/program_state.h"
#include "settings/setting_number.h"
#include "settings/settings_paths.h"

#include <filesystem>

namespace ziq {

void writeLinkLog(ProgramState& state, const Clock& clock, MessageBoxes& messages,
                  std::string_view clipboardText) {
    const Settings& settings = state.settings;
    // A value that is not a number does not stop the log.
    if (!guardedEquals(settings.linkAutoSave, 1)) {
        return;
    }
    // One reading, so date and time of an entry always belong together.
    const LocalDateTime now = clock.now();
    const std::string value = withoutLineBreaks(clipboardText);
    const auto entry = linkLogEntry(settings.linkSaveType, settings.linkSavedFilePath, now);
    if (!entry) {
        return;
    }
    const std::filesystem::path file = filePath(entry->file);
    // A folder that is not absolute would land wherever the program happened to be started
    // from; report it like any other folder that cannot be written. Caught links are the
    // user's private data, hence owner-only files.
    const bool written =
        file.is_absolute() && profile::writeString(entry->section, entry->key, value, file,
                                                   profile::NewFileAccess::OwnerOnly);
    state.lastWriteResult = written ? 1 : 0;
    if (!written) {
        messages.show("Error writing to: " + entry->file +
                          ". Be sure file is not protected, the clipboard text is not too big, "
                          "and that the file size is not too large.",
                      MessageIcon::Exclamation, state.appTitle);
    }
}

} // namespace ziq
