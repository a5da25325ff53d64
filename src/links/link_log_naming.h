#pragma once

#include "platform/clock.h"

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

// The text with every CR LF pair taken out, so a caught text logs as one line; a lone CR
// or LF stays.
std::string withoutLineBreakPairs(std::string_view text);

} // namespace ziq
