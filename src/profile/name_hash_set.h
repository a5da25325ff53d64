#pragma once

#include <cstdint>
#include <vector>

// A compact set of 64-bit name hashes: a log with a million sections costs 8 MB, not the
// hundreds a set of strings would. Lookups are binary searches; single inserts go to a small
// sorted side list that is merged in now and then, so an insert never moves the whole set.
namespace ziq::profile {

class NameHashSet {
public:
    NameHashSet() = default;
    // Takes hashes in any order, duplicates allowed.
    explicit NameHashSet(std::vector<std::uint64_t> hashes);

    bool contains(std::uint64_t hash) const;
    // Returns false when the hash was already there.
    bool insert(std::uint64_t hash);
    void clear();

private:
    void mergeRecent();

    std::vector<std::uint64_t> sorted_;
    std::vector<std::uint64_t> recent_;
};

} // namespace ziq::profile
