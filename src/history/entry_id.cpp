#include "history/entry_id.h"

#include "settings/settings_paths.h"

#include <charconv>
#include <cstring>

namespace ziq::history {

namespace {

constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
constexpr std::uint64_t kHashBits = 0xFFFFFFFFFFFFull;

// A fast 64-bit hash, eight bytes at a time; fed in pieces of any size.
class Hasher {
public:
    explicit Hasher(std::uint64_t seed) : state_(seed ^ 0x9E3779B97F4A7C15ull) {}
    void add(std::string_view bytes) {
        std::size_t i = 0;
        while (count_ != 0 && i < bytes.size()) {
            addByte(bytes[i++]);
        }
        for (; i + 8 <= bytes.size(); i += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes.data() + i, 8); // the same hash on every little-endian system
            mix(word);
        }
        for (; i < bytes.size(); ++i) {
            addByte(bytes[i]);
        }
    }
    std::uint64_t finish() {
        mix(pending_ ^ (std::uint64_t{count_} << 56));
        state_ ^= state_ >> 33;
        state_ *= 0xFF51AFD7ED558CCDull;
        state_ ^= state_ >> 33;
        return state_;
    }

private:
    void addByte(char c) {
        pending_ |= std::uint64_t{static_cast<unsigned char>(c)} << (8 * count_);
        if (++count_ == 8) {
            mix(pending_);
            pending_ = 0;
            count_ = 0;
        }
    }
    void mix(std::uint64_t word) {
        state_ = (state_ ^ (word * 0x87C37B91114253D5ull)) * 0x4CF5AD432745937Full;
        state_ = (state_ << 31) | (state_ >> 33);
    }
    std::uint64_t state_;
    std::uint64_t pending_ = 0;
    unsigned count_ = 0;
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
