#pragma once

#include "history/log_entry.h"
#include "history/log_files.h"
#include "history/log_reader.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// The search through every log, newest entry first, streamed.
namespace ziq::history {

struct HistoryQuery {
    bool captures = true;
    bool links = true;
    int since = 0; // YYYYMMDD, inclusive local dates; 0 leaves that end open
    int until = 0;
    std::vector<std::string> words; // each must occur; letter case ignored; literal
};

// Gets each entry that matches, newest first; returns false to stop. `reader` reads the
// entry's file, for the whole of a text that came as its beginning only.
using EntrySink = std::function<bool(const Entry& entry, LogReader& reader)>;

struct ScanReport {
    std::vector<std::string> problems; // folders or files that could not be read
    bool cancelled = false;
};

// Reads only as far back as the sink wants: the newest entries come from the newest day
// files or the end of ziq.txt. Dated files outside the date range are not opened. Holds a
// few pieces of files at a time, never the whole history. `cancel` (may be null) is looked
// at before each entry; a scan it stops reports cancelled.
ScanReport scanHistory(const LogFolders& folders, const HistoryQuery& query, const EntrySink& sink,
                       const std::atomic<bool>* cancel = nullptr);

// Whether every word is in the entry's whole text (read in pieces when it is long).
bool entryMatches(const Entry& entry, LogReader& reader, const class WordMatcher& matcher);

} // namespace ziq::history
