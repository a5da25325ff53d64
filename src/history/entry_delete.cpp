#include "history/entry_delete.h"

#include "history/entry_id.h"
#include "profile/file_lock.h"
#include "profile/profile_file.h"

#include <memory>
#include <optional>

namespace ziq::history {

DeleteStatus deleteEntry(const LogFolders& folders, std::string_view id) {
    const std::optional<EntryIdParts> parts = parseEntryId(id);
    if (!parts) {
        return DeleteStatus::BadId;
    }
    const profile::FileLock lock =
        profile::FileLock::acquire(logFilePath(folders, parts->kind, parts->fileName));
    switch (lock.status()) {
    case profile::FileLock::Status::Missing:
        return DeleteStatus::NotFound;
    case profile::FileLock::Status::Failed:
        return DeleteStatus::Failed;
    case profile::FileLock::Status::Held:
        break;
    }
    // Found again under the lock, so the place is that of the file as it is now.
    std::unique_ptr<FoundEntry> found;
    if (findEntry(folders, id, found) != FindStatus::Found) {
        return DeleteStatus::NotFound;
    }
    const EntryPlace place = found->entry.place;
    const std::uint64_t size = found->reader().size();
    const std::filesystem::path path = found->file().path;
    found.reset(); // Windows cannot replace a file we still have open
    return profile::removeBytes(path, place.start, place.end, size) ? DeleteStatus::Deleted
                                                                    : DeleteStatus::Failed;
}

} // namespace ziq::history
