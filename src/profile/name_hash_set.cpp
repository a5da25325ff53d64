#include "profile/name_hash_set.h"

#include <algorithm>
#include <cstddef>

namespace ziq::profile {

namespace {
constexpr std::size_t kRecentLimit = 4096;
}

NameHashSet::NameHashSet(std::vector<std::uint64_t> hashes) : sorted_(std::move(hashes)) {
    std::sort(sorted_.begin(), sorted_.end());
    sorted_.erase(std::unique(sorted_.begin(), sorted_.end()), sorted_.end());
    sorted_.shrink_to_fit();
}

bool NameHashSet::contains(std::uint64_t hash) const {
    return std::binary_search(sorted_.begin(), sorted_.end(), hash) ||
           std::binary_search(recent_.begin(), recent_.end(), hash);
}

bool NameHashSet::insert(std::uint64_t hash) {
    if (contains(hash)) {
        return false;
    }
    recent_.insert(std::lower_bound(recent_.begin(), recent_.end(), hash), hash);
    if (recent_.size() >= kRecentLimit) {
        mergeRecent();
    }
    return true;
}

void NameHashSet::clear() {
    sorted_.clear();
    recent_.clear();
}

void NameHashSet::mergeRecent() {
    const auto middle = static_cast<std::ptrdiff_t>(sorted_.size());
    sorted_.insert(sorted_.end(), recent_.begin(), recent_.end());
    std::inplace_merge(sorted_.begin(), sorted_.begin() + middle, sorted_.end());
    recent_.clear();
}

} // namespace ziq::profile
