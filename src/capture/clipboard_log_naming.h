#pragma once

#include "platform/system/clock.h"

#include <optional>
#include <string>
#include <string_view>

namespace ziq {

// Where one clipboard log entry goes: the file and the section that holds its "TEXT" key.
struct ClipboardLogTarget {
    std::string file;
    std::string section;
};

inline constexpr const char* kClipboardLogKey = "TEXT";

// The entry for a capture at `time` under the naming scheme `saveType` (1 one file,
// 2 one file per capture, 3 one file per day). The folder is a prefix used exactly as
// stored. A scheme that is not a number counts as 1; any other number names no scheme.
std::optional<ClipboardLogTarget> clipboardLogTarget(std::string_view saveType,
                                                     const std::string& savedFilePath,
                                                     const LocalDateTime& time);

// What the user is told when the entry could not be written to `file`.
std::string clipboardLogErrorMessage(const std::string& file);

} // namespace ziq
