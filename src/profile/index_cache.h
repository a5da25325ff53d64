#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "profile/change_watch.h"
#include "profile/file_io.h"
#include "profile/profile_index.h"

// Indexes of a few large files, kept between calls so that recording an entry does not read
// the whole file again. An index is handed out only while the system has reported no change
// to its file since before the content it describes was read (ChangeWatch), and only for the
// very file state it was built from (device, inode, size, times).
//
// File times alone cannot tell a change made within the clock tick of a write, and a clock
// gives no bound on how long a slow process takes between its write and its next look. So
// where changes are not reported (file systems without notices), no index is kept at all and
// every call reads the file: slower on big logs, never stale.
namespace ziq::profile {

class IndexCache {
public:
    IndexCache() = default;
    ~IndexCache();
    IndexCache(const IndexCache&) = delete;
    IndexCache& operator=(const IndexCache&) = delete;

    // Whether changes to files are reported; without that no index is kept.
    bool watching() { return watch_.available(); }

    // The index for the file the stamp describes, if it is still that file's index. The entry
    // leaves the cache either way; give it back with store() after use.
    std::optional<ProfileIndex> take(const io::FileStamp& stamp);
    // The caller vouches that the index describes the file as `stamp` found it, and that the
    // file was watched from before its content was read.
    void store(const io::FileStamp& stamp, ProfileIndex index);
    void clear();

    // Watches the file of `identity`, named `path`, from now on: a change reported after
    // this call counts, none before it does. False when the file cannot be watched or `path`
    // names another file now.
    bool startWatching(const std::filesystem::path& path, const io::FileStamp& identity);
    // Whether a change to the watched file was reported since startWatching(); false for a
    // file that is not watched. Ask only about a file whose index came from take() or was
    // built after startWatching(): the number of a deleted file may name a new one.
    bool changed(const io::FileStamp& identity);
    // Call right after our own write to a watched file that changed() just called unchanged:
    // the notice of that write is ours, every later one is someone else's. False when the
    // file is not watched. Where the system reports our write only once the file is flushed
    // and closed, what arrives until the store() that follows counts as ours too.
    bool acceptOwnWrite(const io::FileStamp& identity);

    std::uint64_t threshold() const;
    void setThreshold(std::optional<std::uint64_t> bytes) { threshold_ = bytes; }

    // Below this size a scan costs less than keeping an index; such files are not indexed.
    static constexpr std::uint64_t kDefaultThreshold = 16 * 1024;

private:
    struct Entry {
        io::FileStamp stamp;
        ProfileIndex index;
        std::uint64_t lastUse = 0;
    };
    struct Watched {
        io::FileStamp identity;
        std::filesystem::path path;
        int id = -1;
        bool changed = false;
        bool ownWriteSettling = false; // its notice may still come: see acceptOwnWrite()
    };

    void forget(const io::FileStamp& identity);
    void collectNotices();
    void endOwnWrite();
    Watched* watched(const io::FileStamp& identity);
    void dropUnusedWatches(const io::FileStamp& keep);

    std::vector<Entry> entries_;
    std::vector<Watched> watched_;
    io::ChangeWatch watch_;
    std::uint64_t useCounter_ = 0;
    std::optional<std::uint64_t> threshold_;
};

// Before the content of a file is read to build its index: whether what is read next may be
// indexed. Watches the file when the system reports changes.
bool readyToIndex(IndexCache& cache, const std::filesystem::path& path, const io::FileStamp& stamp);

// The one set of indexes of the process, with the lock that serialises the module's entry
// points. It is process-wide because the module's interface is the platform's profile calls:
// free functions that name a file, called for the same log from several places (captures,
// links, the options window). An index must outlive a call for an append not to read the file
// again, so it lives here rather than in an object each caller would have to share.
struct ProfileProcessState {
    std::mutex mutex;
    IndexCache cache;
    std::function<void()> afterOwnWrite; // test seam: a slow moment after our own write
};

ProfileProcessState& profileProcessState();

} // namespace ziq::profile
