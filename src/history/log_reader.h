#pragma once

#include "history/log_entry.h"
#include "profile/file_io.h"

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Reads the entries of one log file, newest (last) first, a piece at a time from its end, so a
// ten-year ziq.txt answers its newest entries at once and is never held whole in memory.
namespace ziq::history {

class WordMatcher;

inline constexpr std::size_t kChunkBytes = std::size_t{256} << 10;
inline constexpr std::size_t kFirstChunkBytes = std::size_t{64} << 10;
// Texts longer than this come as their beginning only (Entry::complete false).
inline constexpr std::size_t kWholeTextLimit = std::size_t{4} << 20;
inline constexpr std::size_t kPreviewBytes = std::size_t{64} << 10;

// Bytes read from a file; grows without clearing, and keeps its room for the next read.
class ReadBuffer {
public:
    char* prepare(std::size_t size) {
        if (size > capacity_) {
            data_ = std::make_unique_for_overwrite<char[]>(size);
            capacity_ = size;
        }
        size_ = size;
        return data_.get();
    }
    void shrink(std::size_t size) { size_ = std::min(size, size_); }
    const char* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    char operator[](std::size_t at) const { return data_[at]; }

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

class LogReader {
public:
    explicit LogReader(const LogFile& file) : file_(file) {}
    LogReader(const LogReader&) = delete;
    LogReader& operator=(const LogReader&) = delete;

    // Opens the file and takes its size as it is now: an entry ZIQ2 appends later is not seen.
    bool open(std::string& problem);
    // The entry before the one returned last; false at the file's start or on a read error
    // (then failed() is true).
    bool previous(Entry& out);
    bool failed() const { return failed_; }
    // previous() then passes over entries that cannot hold all of the matcher's words (it
    // may still give some that do not).
    void skipUnless(const WordMatcher* matcher) { matcher_ = matcher; }

    // The entry that opens exactly at `start`; false when no entry opens there.
    bool entryAt(std::uint64_t start, Entry& out);
    // Bytes of the file from `offset`; fewer only at its end.
    bool readBytes(std::uint64_t offset, char* to, std::size_t length, std::size_t& got);
    std::uint64_t size() const { return size_; }
    const LogFile& file() const { return file_; }

    enum class OpenerType { ClipHeader, LinkHeader, LinkKey };
    struct Opener {
        std::uint64_t at = 0;        // start of its line
        std::uint64_t textStart = 0; // entries only
        OpenerType type = OpenerType::ClipHeader;
        std::int64_t stampPart = -1; // the section's or key's digits, -1 when not digits
        int digits = 0;              // how many digits that was
        int section = -1;            // link keys: the index of their header among the openers
        std::uint64_t end = 0;       // where its entry ends, when found with it (else 0)
    };
    // Bytes [from, from + size) of the file.
    struct View {
        const char* data = nullptr;
        std::uint64_t from = 0;
        std::uint64_t to = 0;
        char at(std::uint64_t offset) const { return data[offset - from]; }
    };

private:
    bool load(std::uint64_t from, std::uint64_t to);
    // Openers whose line starts in [from, to) of the loaded bytes.
    void findOpeners(const View& view, std::uint64_t from, std::uint64_t to,
                     std::vector<Opener>& out) const;
    // Clipboard logs searched for a word: only the openers of entries that hold one of its
    // places, and the chunk's first and last, each with its end.
    void findOpenersNearPlaces(const View& view, std::uint64_t from, std::uint64_t to,
                               std::uint64_t nextAt, std::vector<Opener>& out) const;
    // The first clipboard opener whose line starts in [start, to), or the last one whose line
    // starts in [from, before] with its bracket before `bracketLimit`; false when there is none.
    bool firstClipOpener(const View& view, std::uint64_t start, std::uint64_t to,
                         Opener& out) const;
    bool lastClipOpener(const View& view, std::uint64_t from, std::uint64_t before,
                        std::uint64_t bracketLimit, Opener& out) const;
    bool clipOpenerAtBracket(const View& view, std::uint64_t bracket, std::uint64_t from,
                             Opener& out) const;
    bool lineStartAt(const View& view, std::uint64_t at) const;
    bool openerAt(const View& view, std::uint64_t lineStart, Opener& out) const;
    View loaded() const;
    bool byteAt(std::uint64_t offset, char& out);
    // The section header nearest before `before` (link logs), read back in pieces.
    bool sectionBefore(std::uint64_t before, Opener& out);
    bool makeEntry(const Opener& opener, const Opener* section, std::uint64_t end, Entry& out);
    std::uint64_t lineBreakBefore(std::uint64_t at);
    bool nextOpenerAfter(std::uint64_t from, std::uint64_t& at);
    bool mayMatch(std::uint64_t textStart, std::uint64_t end) const;

    const LogFile& file_;
    profile::io::File handle_;
    std::uint64_t size_ = 0;
    std::uint64_t contentStart_ = 0;
    bool failed_ = false;

    ReadBuffer buffer_; // bytes [bufferFrom_, bufferFrom_ + buffer_.size())
    std::uint64_t bufferFrom_ = 0;
    ReadBuffer side_; // a text that lies beyond the buffer

    std::size_t chunk_ = kFirstChunkBytes;
    std::uint64_t pos_ = 0;      // openers before this are not found yet
    std::uint64_t boundary_ = 0; // where the entry found last opens
    std::vector<Opener> openers_;
    std::size_t nextOpener_ = 0; // openers_[0, nextOpener_) are still to hand out
    const WordMatcher* matcher_ = nullptr;
    std::vector<std::uint32_t> places_; // where a word starts in the loaded bytes
    bool havePlaces_ = false;
    Opener chunkSection_; // link logs: the section in force at the chunk's start
    bool haveChunkSection_ = false;
};

} // namespace ziq::history
