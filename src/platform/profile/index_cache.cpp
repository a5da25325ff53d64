#include "platform/profile/index_cache.h"

#include <algorithm>
#include <chrono>

#include "platform/profile/profile_test_hooks.h"

namespace ziq::profile {

namespace {
constexpr std::size_t kMaxEntries = 4;
}

std::optional<ProfileIndex> IndexCache::take(const io::FileStamp& stamp) {
    const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& e) { return e.stamp.sameFile(stamp); });
    if (entry == entries_.end()) {
        return std::nullopt;
    }
    std::optional<ProfileIndex> index;
    if (entry->stamp == stamp && entry->index.size == stamp.size) {
        index = std::move(entry->index);
    }
    entries_.erase(entry);
    return index;
}

void IndexCache::store(const io::FileStamp& stamp, ProfileIndex index) {
    forget(stamp);
    if (stamp.size < threshold_ || index.size != stamp.size) {
        return;
    }
    if (entries_.size() >= kMaxEntries) {
        entries_.erase(
            std::min_element(entries_.begin(), entries_.end(),
                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; }));
    }
    entries_.push_back(Entry{stamp, std::move(index), ++useCounter_});
}

void IndexCache::forget(const io::FileStamp& identity) {
    std::erase_if(entries_, [&](const Entry& e) { return e.stamp.sameFile(identity); });
}

namespace {
constexpr auto kSettleLimit = std::chrono::milliseconds(200);
}

bool settleStamp(io::File& file, io::FileStamp& stamp) {
    const auto deadline = std::chrono::steady_clock::now() + kSettleLimit;
    while (!io::stampSettled(stamp)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        io::pauseBriefly();
        if (!file.stamp(stamp)) {
            return false;
        }
    }
    return true;
}

void storeWhenSettled(IndexCache& cache, const std::filesystem::path& path,
                      const io::FileStamp& identity, ProfileIndex index) {
    if (index.size < cache.threshold()) {
        return;
    }
    // Our write stamped the file with the current clock tick; a change later in that same
    // tick would not show. Once the tick is over, every change does.
    const auto deadline = std::chrono::steady_clock::now() + kSettleLimit;
    while (true) {
        io::FileStamp now;
        if (!io::stampOf(path, now) || !now.sameFile(identity) || now.size != index.size) {
            return;
        }
        if (io::stampSettled(now)) {
            cache.store(now, std::move(index));
            return;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return;
        }
        io::pauseBriefly();
    }
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
    setIndexThreshold(IndexCache::kDefaultThreshold);
}

void clearIndexCache() {
    const std::scoped_lock lock(profileProcessState().mutex);
    profileProcessState().cache.clear();
}

} // namespace ziq::profile::testing
