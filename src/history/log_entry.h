#pragma once

#include "history/log_files.h"

#include <cstdint>
#include <string_view>

namespace ziq::history {

// Where an entry lies in its file, in bytes.
struct EntryPlace {
    std::uint64_t start = 0;     // the line that opens the entry (section header or key line)
    std::uint64_t textStart = 0; // just after "TEXT=" or the link's "time="
    std::uint64_t textEnd = 0;   // the line break before the next entry's line, or the file's end
    std::uint64_t end = 0;       // where the next entry's line (or the file's end) is
};

// One capture or link as its log holds it.
struct Entry {
    const LogFile* file = nullptr;
    EntryKind kind = EntryKind::Capture;
    std::int64_t stamp = 0; // YYYYMMDDHHMMSS local, from the file name and the section/key
    EntryPlace place;
    // The raw bytes of the text (CRLF, leading blanks and invalid UTF-8 kept), or only its
    // beginning when `complete` is false; valid until the next entry is read.
    std::string_view text;
    bool complete = true;

    std::uint64_t length() const { return place.textEnd - place.textStart; }
    int date() const { return static_cast<int>(stamp / 1000000); }
    int time() const { return static_cast<int>(stamp % 1000000); }
};

} // namespace ziq::history
