#include "profile/index_cache.h"

#include <algorithm>

#include "profile/profile_test_hooks.h"

namespace ziq::profile {

namespace {
constexpr std::size_t kMaxEntries = 4;
} // namespace

IndexCache::~IndexCache() = default;

void IndexCache::collectNotices() {
    if (watched_.empty()) {
        return;
    }
    const io::ChangeWatch::Notices notices = watch_.collect();
    for (Watched& file : watched_) {
        if (notices.lost) {
            // Overflowed, or a forked child whose watches were its parent's: start afresh.
            watch_.remove(file.id);
            file.id = -1;
            file.changed = true;
        } else if (std::find(notices.changed.begin(), notices.changed.end(), file.id) !=
                   notices.changed.end()) {
            file.changed = true;
        }
    }
}

void IndexCache::endOwnWrite() {
    for (Watched& file : watched_) {
        file.ownWriteSettling = false;
    }
}

IndexCache::Watched* IndexCache::watched(const io::FileStamp& identity) {
    const auto file = std::find_if(watched_.begin(), watched_.end(),
                                   [&](const Watched& w) { return w.identity.sameFile(identity); });
    return file == watched_.end() ? nullptr : &*file;
}

void IndexCache::dropUnusedWatches(const io::FileStamp& keep) {
    std::erase_if(watched_, [&](const Watched& file) {
        const bool used = file.identity.sameFile(keep) ||
                          std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) {
                              return e.stamp.sameFile(file.identity);
                          });
        if (!used) {
            watch_.remove(file.id);
        }
        return !used;
    });
}

std::optional<ProfileIndex> IndexCache::take(const io::FileStamp& stamp) {
    endOwnWrite();
    collectNotices();
    const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& e) { return e.stamp.sameFile(stamp); });
    if (entry == entries_.end()) {
        return std::nullopt;
    }
    std::optional<ProfileIndex> index;
    const Watched* file = watched(stamp);
    const bool current = entry->stamp == stamp && entry->index.size == stamp.size &&
                         file != nullptr && file->id >= 0 && !file->changed;
    if (current) {
        index = std::move(entry->index);
    }
    entries_.erase(entry);
    return index;
}

void IndexCache::store(const io::FileStamp& stamp, ProfileIndex index) {
    forget(stamp);
    if (stamp.size < threshold() || index.size != stamp.size || !watching()) {
        return;
    }
    collectNotices();
    Watched* file = watched(stamp);
    io::FileStamp kept = stamp;
    if (file != nullptr && file->ownWriteSettling) {
        file->changed = false; // our file is closed now: what came so far was our write
        file->ownWriteSettling = false;
        // The file's times may be set only as our handle closed (FAT does so): keep the
        // stamp the next open sees. A change from now on is reported again.
        io::FileStamp closed;
        if (!io::stampOf(file->path, closed) || !closed.sameFile(stamp) ||
            closed.size != stamp.size) {
            return;
        }
        kept = closed;
    }
    endOwnWrite();
    if (file == nullptr || file->id < 0 || file->changed) {
        return;
    }
    if (entries_.size() >= kMaxEntries) {
        entries_.erase(
            std::min_element(entries_.begin(), entries_.end(),
                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; }));
    }
    entries_.push_back(Entry{kept, std::move(index), ++useCounter_});
}

void IndexCache::forget(const io::FileStamp& identity) {
    std::erase_if(entries_, [&](const Entry& e) { return e.stamp.sameFile(identity); });
}

void IndexCache::clear() {
    endOwnWrite();
    entries_.clear();
    for (const Watched& file : watched_) {
        watch_.remove(file.id);
    }
    watched_.clear();
}

bool IndexCache::startWatching(const std::filesystem::path& path, const io::FileStamp& identity) {
    // What was reported so far happened before this call; it must not count against it.
    endOwnWrite();
    collectNotices();
    const int id = watch_.add(path);
    if (id < 0) {
        return false;
    }
    io::FileStamp named;
    if (!io::stampOf(path, named) || !named.sameFile(identity)) {
        return false; // replaced meanwhile; the watch, if it is not ours, goes with the next prune
    }
    dropUnusedWatches(identity);
    if (Watched* file = watched(identity)) {
        file->path = path;
        file->id = id;
        file->changed = false;
    } else {
        watched_.push_back(Watched{identity, path, id, false});
    }
    return true;
}

bool IndexCache::changed(const io::FileStamp& identity) {
    endOwnWrite();
    collectNotices();
    const Watched* file = watched(identity);
    return file != nullptr && file->changed;
}

bool IndexCache::acceptOwnWrite(const io::FileStamp& identity) {
    collectNotices();
    Watched* file = watched(identity);
    if (file == nullptr || file->id < 0) {
        return false;
    }
    file->changed = false;
    file->ownWriteSettling = io::ChangeWatch::reportsOwnWriteLate();
    return true;
}

std::uint64_t IndexCache::threshold() const {
    return threshold_ ? *threshold_ : kDefaultThreshold;
}

bool readyToIndex(IndexCache& cache, const std::filesystem::path& path,
                  const io::FileStamp& stamp) {
    return stamp.size >= cache.threshold() && cache.watching() && cache.startWatching(path, stamp);
}

ProfileProcessState& profileProcessState() {
    static ProfileProcessState state;
    return state;
}

} // namespace ziq::profile

namespace ziq::profile::testing {

void setIndexThreshold(std::uint64_t bytes) {
    const std::scoped_lock lock(profileProcessState().mutex);
    profileProcessState().cache.setThreshold(bytes);
}

void resetIndexThreshold() {
    const std::scoped_lock lock(profileProcessState().mutex);
    profileProcessState().cache.setThreshold(std::nullopt);
}

void clearIndexCache() {
    const std::scoped_lock lock(profileProcessState().mutex);
    profileProcessState().cache.clear();
}

void setAfterOwnWrite(std::function<void()> pause) {
    const std::scoped_lock lock(profileProcessState().mutex);
    profileProcessState().afterOwnWrite = std::move(pause);
}

bool changeWatchingAvailable() {
    const std::scoped_lock lock(profileProcessState().mutex);
    return profileProcessState().cache.watching();
}

void setChangeWatching(bool on) {
    const std::scoped_lock lock(profileProcessState().mutex);
    profileProcessState().cache.clear();
    io::setWatchingAllowed(on);
}

} // namespace ziq::profile::testing
