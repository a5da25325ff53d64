#include "history/entry_id.h"

#include "settings/settings_paths.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace ziq::history {

namespace {

constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
constexpr std::uint64_t kHashBits = 0xFFFFFFFFFFFFull;

// A fast 64-bit hash, 32 bytes at a time in four independent lanes; fed in pieces of any size.
class Hasher {
public:
    explicit Hasher(std::uint64_t seed) {
        for (std::size_t k = 0; k < kLanes; ++k) {
            lanes_[k] = seed ^ (0x9E3779B97F4A7C15ull * (k + 1));
        }
    }
    void add(std::string_view bytes) {
        total_ += bytes.size();
        if (count_ != 0) {
            const std::size_t take = std::min(bytes.size(), kBlock - count_);
            std::memcpy(pending_ + count_, bytes.data(), take);
            count_ += take;
            bytes.remove_prefix(take);
            if (count_ < kBlock) {
                return;
            }
            block(pending_);
            count_ = 0;
        }
        for (; bytes.size() >= kBlock; bytes.remove_prefix(kBlock)) {
            block(bytes.data());
        }
        std::memcpy(pending_, bytes.data(), bytes.size());
        count_ = bytes.size();
    }
    std::uint64_t finish() {
        std::memset(pending_ + count_, 0, kBlock - count_);
        block(pending_);
        std::uint64_t state = total_;
        for (const std::uint64_t lane : lanes_) {
            state = (state ^ (lane * 0x87C37B91114253D5ull)) * 0x4CF5AD432745937Full;
            state = (state << 31) | (state >> 33);
        }
        state ^= state >> 33;
        state *= 0xFF51AFD7ED558CCDull;
        state ^= state >> 33;
        return state;
    }

private:
    static constexpr std::size_t kLanes = 4;
    static constexpr std::size_t kBlock = 8 * kLanes;
    void block(const char* bytes) {
        for (std::size_t k = 0; k < kLanes; ++k) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes + 8 * k, 8); // the same hash on every little-endian system
            std::uint64_t& lane = lanes_[k];
            lane = (lane ^ (word * 0x87C37B91114253D5ull)) * 0x4CF5AD432745937Full;
            lane = (lane << 31) | (lane >> 33);
        }
    }
    std::uint64_t lanes_[kLanes];
    char pending_[kBlock];
    std::size_t count_ = 0;
    std::uint64_t total_ = 0;
};

std::string withoutTxt(const std::string& name) {
    return name.substr(0, name.size() - 4);
}

} // namespace

bool readWholeText(const Entry& entry, LogReader& reader,
                   const std::function<bool(std::string_view piece)>& sink) {
    if (entry.complete) {
        return sink(entry.text);
    }
    std::string piece;
    for (std::uint64_t at = entry.place.textStart; at < entry.place.textEnd;) {
        piece.resize(static_cast<std::size_t>(
            std::min<std::uint64_t>(kPieceBytes, entry.place.textEnd - at)));
        std::size_t got = 0;
        if (!reader.readBytes(at, piece.data(), piece.size(), got) || got == 0) {
            return false;
        }
        if (!sink(std::string_view(piece.data(), got))) {
            return true;
        }
        at += got;
    }
    return true;
}

bool entryHash(const Entry& entry, LogReader& reader, std::uint64_t& hash) {
    Hasher hasher(static_cast<std::uint64_t>(entry.stamp));
    const bool read = readWholeText(entry, reader, [&](std::string_view piece) {
        hasher.add(piece);
        return true;
    });
    hash = hasher.finish() & kHashBits;
    return read;
}

std::string formatEntryId(const EntryIdParts& parts) {
    char hash[16];
    const auto end = std::to_chars(hash, hash + sizeof hash, parts.hash, 16).ptr;
    std::string hex(hash, end);
    hex.insert(0, 12 - std::min<std::size_t>(12, hex.size()), '0');
    return std::string(parts.kind == EntryKind::Capture ? "c-" : "l-") +
           withoutTxt(parts.fileName) + "-" + std::to_string(parts.start) + "-" + hex;
}

std::optional<EntryIdParts> parseEntryId(std::string_view id) {
    EntryIdParts parts;
    if (id.size() < 2 || (id[0] != 'c' && id[0] != 'l') || id[1] != '-') {
        return std::nullopt;
    }
    parts.kind = id[0] == 'c' ? EntryKind::Capture : EntryKind::Link;
    id.remove_prefix(2);
    const std::size_t nameEnd = id.find('-');
    const std::size_t startEnd =
        nameEnd == std::string_view::npos ? std::string_view::npos : id.find('-', nameEnd + 1);
    if (startEnd == std::string_view::npos) {
        return std::nullopt;
    }
    parts.fileName = std::string(id.substr(0, nameEnd)) + ".txt";
    const std::string_view start = id.substr(nameEnd + 1, startEnd - nameEnd - 1);
    const std::string_view hash = id.substr(startEnd + 1);
    LogFile file;
    const auto startRead = std::from_chars(start.data(), start.data() + start.size(), parts.start);
    const auto hashRead = std::from_chars(hash.data(), hash.data() + hash.size(), parts.hash, 16);
    if (start.empty() || hash.size() != 12 || startRead.ec != std::errc() ||
        startRead.ptr != start.data() + start.size() || hashRead.ec != std::errc() ||
        hashRead.ptr != hash.data() + hash.size() ||
        !classifyLogName(parts.fileName, parts.kind, file)) {
        return std::nullopt;
    }
    return parts;
}

std::string entryId(const Entry& entry, LogReader& reader) {
    std::uint64_t hash = 0;
    if (!entryHash(entry, reader, hash)) {
        return {};
    }
    return formatEntryId({entry.kind, entry.file->name, entry.place.start, hash});
}

std::filesystem::path logFilePath(const LogFolders& folders, EntryKind kind,
                                  const std::string& name) {
    return filePath((kind == EntryKind::Capture ? folders.clipboardPrefix : folders.linkPrefix) +
                    name);
}

FindStatus findEntry(const LogFolders& folders, std::string_view id,
                     std::unique_ptr<FoundEntry>& out) {
    const std::optional<EntryIdParts> parts = parseEntryId(id);
    if (!parts) {
        return FindStatus::BadId;
    }
    LogFile file;
    classifyLogName(parts->fileName, parts->kind, file);
    file.path = logFilePath(folders, parts->kind, parts->fileName);
    out = std::make_unique<FoundEntry>(file);
    std::string problem;
    if (!out->reader().open(problem)) {
        return FindStatus::NotFound;
    }
    std::uint64_t hash = 0;
    if (out->reader().entryAt(parts->start, out->entry) &&
        entryHash(out->entry, out->reader(), hash) && hash == parts->hash) {
        return FindStatus::Found;
    }
    // Entries before it may have been deleted: look for it by its hash. A fresh reader,
    // since entryAt has moved the first one's pieces.
    out = std::make_unique<FoundEntry>(file);
    if (!out->reader().open(problem)) {
        return FindStatus::NotFound;
    }
    Entry candidate;
    while (out->reader().previous(candidate)) {
        if (entryHash(candidate, out->reader(), hash) && hash == parts->hash) {
            // Read again by place, so its text does not depend on the pieces read since.
            const std::uint64_t start = candidate.place.start;
            out = std::make_unique<FoundEntry>(file);
            if (out->reader().open(problem) && out->reader().entryAt(start, out->entry)) {
                return FindStatus::Found;
            }
            return FindStatus::NotFound;
        }
    }
    return FindStatus::NotFound;
}

} // namespace ziq::history
