#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/profile/change_watch.h"
#include "platform/profile/file_io.h"
#include "platform/profile/profile_index.h"

// Indexes of a few large files, kept between calls. An index is handed out only for the very
// file state it was built from: same device and inode, size, and modification and change
// times to the nanosecond. A change within the clock tick of the moment the content was read
// or written may leave all of these as they were, so that alone is not enough:
// - where the system reports changes (ChangeWatch), the file is watched from before its
//   content is read, and an index is dropped at the first change reported after that (our
//   own writes excepted);
// - elsewhere, an index may be stored only under a stamp that was settled when the content it
//   describes was read or written, which takes a wait of a few milliseconds.
namespace ziq::profile {

class IndexCache {
public:
    IndexCache() = default;
    ~IndexCache();
    IndexCache(const IndexCache&) = delete;
    IndexCache& operator=(const IndexCache&) = delete;

    // Whether changes to files are reported, so that no stamp needs to settle.
    bool watching() { return watch_.available(); }

    // The index for the file the stamp describes, if it is still that file's index. The entry
    // leaves the cache either way; give it back with store() after use.
    std::optional<ProfileIndex> take(const io::FileStamp& stamp);
    // The caller vouches that the index describes the file as `stamp` found it, and that the
    // file was watched (or, without watching, that the stamp was settled) while it was read.
    void store(const io::FileStamp& stamp, ProfileIndex index);
    void forget(const io::FileStamp& identity);
    void clear();

    // Watches the file of `identity`, named `path`, from now on: a change reported after
    // this call counts, none before it does. `named` gets the file's stamp as the watch
    // began. False when the file cannot be watched or `path` names another file now.
    bool startWatching(const std::filesystem::path& path, const io::FileStamp& identity,
                       io::FileStamp& named);
    // Whether a change to the watched file was reported since startWatching(); false for a
    // file that is not watched. Ask only about a file whose index came from take() or was
    // built after startWatching(): the number of a deleted file may name a new one.
    bool changed(const io::FileStamp& identity);

    std::uint64_t threshold();
    void setThreshold(std::optional<std::uint64_t> bytes) { threshold_ = bytes; }

    // Below these sizes a scan costs less than keeping an index (with watching) or than
    // settling a stamp (without); such files are not indexed.
    static constexpr std::uint64_t kWatchedThreshold = 16 * 1024;
    static constexpr std::uint64_t kSettledThreshold = 2 * 1024 * 1024;

private:
    struct Entry {
        io::FileStamp stamp;
        ProfileIndex index;
        std::uint64_t lastUse = 0;
    };
    struct Watched {
        io::FileStamp identity;
        int id = -1;
        bool changed = false;
    };

    void collectNotices();
    Watched* watched(const io::FileStamp& identity);
    void dropUnusedWatches(const io::FileStamp& keep);

    std::vector<Entry> entries_;
    std::vector<Watched> watched_;
    io::ChangeWatch watch_;
    std::uint64_t useCounter_ = 0;
    std::optional<std::uint64_t> threshold_;
};

// Before the content of an open file is read to build its index: whether what is read next
// may be indexed. Watches the file, or, where changes are not reported, waits (a few
// milliseconds) until its stamp is settled, refreshing `stamp`.
bool readyToIndex(IndexCache& cache, io::File& file, const std::filesystem::path& path,
                  io::FileStamp& stamp);

// After our own write, which left the file `identity` describes at `path` with the content
// `index` describes: keeps the index, unless the file is no longer the one we wrote. Without
// watching this waits (a few milliseconds) until the file's stamp is settled.
void keepIndexOfOwnWrite(IndexCache& cache, const std::filesystem::path& path,
                         const io::FileStamp& identity, ProfileIndex index);

// Waits (a few milliseconds) until the stamp of an open file is settled, refreshing `stamp`.
// False when it does not settle soon (a clock far off, a coarse file system).
bool settleStamp(io::File& file, io::FileStamp& stamp);

// The one set of indexes of the process, with the lock that serialises the module's entry
// points. The public interface is free functions, so this lives in a function-local static
// rather than in an object the caller passes in.
struct ProfileProcessState {
    std::mutex mutex;
    IndexCache cache;
};

ProfileProcessState& profileProcessState();

} // namespace ziq::profile
