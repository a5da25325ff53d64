#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/profile/file_io.h"
#include "platform/profile/profile_index.h"

// Indexes of a few large files, kept between calls. An index is handed out only for the very
// file state it was built from: same device and inode, size, and modification and change
// times to the nanosecond. It may be stored only under a stamp that was settled when the
// content it describes was read or written, so no later change can hide behind an unchanged
// stamp (a change in the very clock tick of our own write is the one blind spot of any
// stamp, as it is of any writer without locks).
namespace ziq::profile {

class IndexCache {
public:
    // The index for the file the stamp describes, if it is still that file's index. The entry
    // leaves the cache either way; give it back with store() after use.
    std::optional<ProfileIndex> take(const io::FileStamp& stamp);
    // The caller vouches that `stamp` was settled when the index's content was current.
    void store(const io::FileStamp& stamp, ProfileIndex index);
    void forget(const io::FileStamp& identity);
    void clear() { entries_.clear(); }

    std::uint64_t threshold() const { return threshold_; }
    void setThreshold(std::uint64_t bytes) { threshold_ = bytes; }

    static constexpr std::uint64_t kDefaultThreshold = 2 * 1024 * 1024;

private:
    struct Entry {
        io::FileStamp stamp;
        ProfileIndex index;
        std::uint64_t lastUse = 0;
    };

    std::vector<Entry> entries_;
    std::uint64_t useCounter_ = 0;
    // Below this size a scan costs less than settling a stamp; such files are not indexed.
    std::uint64_t threshold_ = kDefaultThreshold;
};

// Waits (a few milliseconds) until the stamp of an open file is settled, refreshing `stamp`.
// False when it does not settle soon (a clock far off, a coarse file system).
bool settleStamp(io::File& file, io::FileStamp& stamp);

// After our own write: waits (a few milliseconds) until the file's stamp is settled, then
// stores the index, unless the file at `path` is no longer the one we wrote (`identity`).
void storeWhenSettled(IndexCache& cache, const std::filesystem::path& path,
                      const io::FileStamp& identity, ProfileIndex index);

// The one set of indexes of the process, with the lock that serialises the module's entry
// points. The public interface is free functions, so this lives in a function-local static
// rather than in an object the caller passes in.
struct ProfileProcessState {
    std::mutex mutex;
    IndexCache cache;
};

ProfileProcessState& profileProcessState();

} // namespace ziq::profile
