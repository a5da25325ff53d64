#include "capture/clipboard_log_naming.h"

#include "capture/log_stamps.h"
#include "settings/setting_number.h"

namespace ziq {

std::optional<ClipboardLogTarget> clipboardLogTarget(std::string_view saveType,
                                                     const std::string& savedFilePath,
                                                     const LocalDateTime& time) {
    const std::string date = dateStamp(time);
    const std::string clock = timeStamp(time);
    if (guardedEquals(saveType, 1)) {
        return ClipboardLogTarget{savedFilePath + "ziq.txt", date + clock};
    }
    if (guardedEquals(saveType, 2)) {
        return ClipboardLogTarget{savedFilePath + date + "_" + clock + ".txt", "LogEntry"};
    }
    if (guardedEquals(saveType, 3)) {
        return ClipboardLogTarget{savedFilePath + date + ".txt", date + clock};
    }
    return std::nullopt;
}

std::string clipboardLogErrorMessage(const std::string& file) {
    return "Error writing to: " + file +
           ". Be sure file is not protected, the clipboard text is not too big, and that the "
           "file size is not too large.";
}

} // namespace ziq
