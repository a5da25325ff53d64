#include <optional>

#include "profile/file_io.h"
#include "profile/file_scan.h"
#include "profile/index_cache.h"
#include "profile/profile_file.h"
#include "profile/profile_index.h"
#include "profile/profile_text.h"
#include "profile/value_lookup.h"

namespace ziq::profile {

namespace {

constexpr int kAttempts = 3;

struct Lookup {
    bool ok = false;
    std::optional<std::string> value;
    std::optional<ProfileIndex> index; // to keep, when the read built or used one
};

Lookup lookUpOnce(IndexCache& cache, io::File& file, const std::filesystem::path& path,
                  const io::FileStamp& stamp, std::string_view section, std::string_view key) {
    Lookup result;
    ValueLookup lookup(section, key);
    if (std::optional<ProfileIndex> index = cache.take(stamp)) {
        const std::uint64_t sectionHash = foldedNameHash(section);
        if (index->sections.contains(sectionHash)) {
            // When the section is the last one and the first of its name, its header is
            // where the search can start.
            const bool last = index->lastSectionHash == sectionHash && index->lastSectionIsFirst;
            const std::uint64_t from = last ? index->lastSectionStart : index->contentStart;
            if (scanLines(file, from, stamp.size, lookup) == ScanResult::Failed) {
                return result;
            }
        }
        result.index = std::move(index);
    } else {
        // Only content read while the file is watched may be indexed.
        const bool watched = readyToIndex(cache, path, stamp);
        ByteOrderMark mark;
        if (!readByteOrderMark(file, stamp.size, mark)) {
            return result;
        }
        const bool indexing = watched && !mark.utf16;
        const std::uint64_t contentStart = mark.length;
        if (mark.utf16) {
            std::string text;
            if (!readUtf16Text(file, stamp.size, text)) {
                return result;
            }
            scanText(text, lookup);
        } else if (indexing) {
            ProfileIndex built;
            built.size = stamp.size;
            built.contentStart = contentStart;
            IndexBuilder builder(built, IndexBuilder::Mode::Bulk);
            LineSinkPair both(lookup, builder);
            if (scanLines(file, contentStart, stamp.size, both) == ScanResult::Failed) {
                return result;
            }
            builder.finish();
            result.index = std::move(built);
        } else if (scanLines(file, contentStart, stamp.size, lookup) == ScanResult::Failed) {
            return result;
        }
    }
    result.ok = true;
    if (lookup.found()) {
        result.value = lookup.value();
    }
    return result;
}

std::optional<std::string> lookUp(IndexCache& cache, const std::filesystem::path& path,
                                  std::string_view section, std::string_view key,
                                  FileState& state) {
    state = FileState::Unreadable;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        io::OpenStatus status = io::OpenStatus::Ok;
        io::File file = io::File::openForReading(path, status);
        if (status == io::OpenStatus::Missing || status == io::OpenStatus::NotAFile) {
            state = FileState::Missing;
        }
        io::FileStamp before;
        if (!file.isOpen() || !file.stamp(before)) {
            return std::nullopt;
        }
        Lookup result = lookUpOnce(cache, file, path, before, section, key);
        io::FileStamp after;
        if (!file.stamp(after)) {
            return std::nullopt;
        }
        if (after == before) {
            if (result.index) {
                cache.store(before, std::move(*result.index));
            }
            if (result.ok) {
                state = FileState::Read;
            }
            return result.ok ? result.value : std::nullopt;
        }
        // Changed while we read: the lines we saw may be torn, so read again.
    }
    return std::nullopt;
}

} // namespace

std::string readString(std::string_view section, std::string_view key,
                       std::string_view defaultValue, std::size_t capacity,
                       const std::filesystem::path& file, FileState& state) {
    std::optional<std::string> stored;
    state = FileState::Missing;
    if (!file.empty()) {
        ProfileProcessState& process = profileProcessState();
        const std::scoped_lock lock(process.mutex);
        stored = lookUp(process.cache, file, stripSpaces(section), stripSpaces(key), state);
    }
    if (stored) {
        return cutToCapacity(unquote(*stored), capacity);
    }
    return cutToCapacity(stripTrailingSpaces(defaultValue), capacity);
}

std::string readString(std::string_view section, std::string_view key,
                       std::string_view defaultValue, std::size_t capacity,
                       const std::filesystem::path& file) {
    FileState ignored = FileState::Read;
    return readString(section, key, defaultValue, capacity, file, ignored);
}

} // namespace ziq::profile
