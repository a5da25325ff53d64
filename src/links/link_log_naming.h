#pragma once

#include "platform/system/clock.h"

#include <optional>
#include <string>
#include <string_view>

namespace ziq {

// Where one link log entry goes.
struct LinkLogEntry {
    std::string file; // the folder text with the file name put straight after it
    std::string section;
    std::string key;
};

// The entry for a catch at `now` under `linkSaveType` ("1" one continuous file, "2" one file
// per day); nullopt for other numbers, which write nothing. A type that is not a number
// counts as "1".
std::optional<LinkLogEntry> linkLogEntry(std::string_view linkSaveType, std::string_view folder,
                                         const LocalDateTime& now);

// The text with every line break taken out (CR LF, LF and CR alike), so a caught text logs as
// one line of the profile file on every platform: a line break would start a new line, which
// may read as a section header.
std::string withoutLineBreaks(std::string_view text);

} // namespace ziq
