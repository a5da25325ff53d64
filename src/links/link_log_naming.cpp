#include "links/link_log_naming.h"

#include "capture/log_stamps.h"
#include "settings/setting_number.h"

namespace ziq {

std::optional<LinkLogEntry> linkLogEntry(std::string_view linkSaveType, std::string_view folder,
                                         const LocalDateTime& now) {
    const std::string date = dateStamp(now);
    // The first test that passes wins, and a type that is not a number passes the first.
    if (guardedEquals(linkSaveType, 1)) {
        return LinkLogEntry{std::string(folder) + "ziqurl.txt", date, timeStamp(now)};
    }
    if (guardedEquals(linkSaveType, 2)) {
        return LinkLogEntry{std::string(folder) + "u" + date + ".txt", twoDigits(now.hour),
                            twoDigits(now.minute) + twoDigits(now.second)};
    }
    return std::nullopt;
}

std::string withoutLineBreaks(std::string_view text) {
    std::string value;
    value.reserve(text.size());
    for (const char c : text) {
        if (c != '\r' && c != '\n') {
            value.push_back(c);
        }
    }
    return value;
}

} // namespace ziq
