#pragma once

#include "history/log_files.h"

#include <string_view>

namespace ziq::history {

enum class DeleteStatus {
    Deleted,
    BadId,    // not an ID at all
    NotFound, // its file no longer holds that entry
    Failed,   // the file could not be locked or rewritten; it is as it was
};

// Takes the entry out of its log file: its section (clipboard logs) or its line (link logs).
// Holds the file's lock, which ZIQ2's writers take too, so an entry ZIQ2 logs meanwhile is
// kept; the rewrite is crash-safe.
DeleteStatus deleteEntry(const LogFolders& folders, std::string_view id);

} // namespace ziq::history
