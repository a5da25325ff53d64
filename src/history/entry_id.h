#pragma once

#include "history/log_entry.h"
#include "history/log_files.h"
#include "history/log_reader.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Entry IDs: which log (kind and file name), where in it the entry opens, and a hash of the
// entry's time and text, so an ID names one entry for as long as its file holds it, and an ID
// whose entry has changed or gone is recognised as such.
//   c-20240125-48213-9f3a2c1b4d5e   capture in 20240125.txt opening at byte 48213
namespace ziq::history {

struct EntryIdParts {
    EntryKind kind = EntryKind::Capture;
    std::string fileName; // e.g. "20240125.txt"
    std::uint64_t start = 0;
    std::uint64_t hash = 0; // 48 bits
};

// The hash of the entry's time and whole text (read in pieces when it came in part).
bool entryHash(const Entry& entry, LogReader& reader, std::uint64_t& hash);
std::string formatEntryId(const EntryIdParts& parts);
// nullopt for a text that is no ID (an unknown kind or a name of no log scheme).
std::optional<EntryIdParts> parseEntryId(std::string_view id);

// The ID of an entry the scan gave; empty if its file could not be read.
std::string entryId(const Entry& entry, LogReader& reader);

// An entry found again by its ID, with its file open.
class FoundEntry {
public:
    explicit FoundEntry(LogFile file) : file_(std::move(file)), reader_(file_) {}
    FoundEntry(const FoundEntry&) = delete;
    FoundEntry& operator=(const FoundEntry&) = delete;

    const LogFile& file() const { return file_; }
    LogReader& reader() { return reader_; }
    Entry entry;

private:
    LogFile file_;
    LogReader reader_;
};

enum class FindStatus {
    Found,
    BadId,    // not an ID at all
    NotFound, // its file no longer holds that entry (changed, deleted, or never did)
};

// Finds the entry: at its place, or, when entries before it were removed, elsewhere in the
// same file by its hash.
FindStatus findEntry(const LogFolders& folders, std::string_view id,
                     std::unique_ptr<FoundEntry>& out);

// Streams the entry's whole text in pieces to `sink`; false on a read error.
bool readWholeText(const Entry& entry, LogReader& reader,
                   const std::function<bool(std::string_view piece)>& sink);

// The path of a log file `name` of `kind` in the folders.
std::filesystem::path logFilePath(const LogFolders& folders, EntryKind kind,
                                  const std::string& name);

} // namespace ziq::history
