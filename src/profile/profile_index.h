#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "profile/line_scanner.h"
#include "profile/name_hash_set.h"

// What a writer needs to know about a large file to append to it without reading it: which
// sections exist, how its lines end, and the shape of its last section.
namespace ziq::profile {

struct ProfileIndex {
    std::uint64_t size = 0;
    std::uint64_t contentStart = 0;        // 3 after a UTF-8 byte-order mark
    LineBreak lineBreak = LineBreak::None; // the file's first line break
    bool lastLineOpen = false;             // the file ends inside a line (no final line break)
    bool endsWithCr = false;               // an LF written next would join the last line break
    NameHashSet sections;                  // folded hashes of every header name

    bool hasSection = false;
    std::uint64_t lastSectionHash = 0;
    std::uint64_t lastSectionStart = 0; // offset of the last header line
    bool lastSectionIsFirst = false;    // no earlier header has the same name
    NameHashSet lastSectionKeys;        // keys (entries with '=') of the last section
    bool anchorAtEnd = false;           // the last section's last entry (or header) ends the file
};

// Feeds lines into an index. A bulk builder indexes a whole file from its first line; an
// incremental one extends an index with lines appended to its file.
class IndexBuilder final : public LineSink {
public:
    enum class Mode { Bulk, Incremental };

    IndexBuilder(ProfileIndex& index, Mode mode);
    bool onLine(const Line& line) override;
    // Call once after the last line.
    void finish();

private:
    ProfileIndex& index_;
    Mode mode_;
    std::vector<std::uint64_t> headers_;
    std::vector<std::uint64_t> lastKeys_;
};

// Updates `index` for `appended` bytes written at its end. Returns false when it cannot (the
// index must then be dropped).
bool extendIndex(ProfileIndex& index, std::string_view appended);

} // namespace ziq::profile
