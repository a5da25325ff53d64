#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/profile/file_io.h"
#include "platform/profile/file_scan.h"
#include "platform/profile/profile_index.h"

// Writes a file's new content to its replacement in order, indexing it on the way when asked.
namespace ziq::profile {

class RewriteSink final : public ByteSink {
public:
    // `index` (may be null) receives the index of everything written; `contentStart` is where
    // the content starts after a byte-order mark.
    RewriteSink(io::File& out, ProfileIndex* index, std::uint64_t contentStart);

    bool onBytes(std::string_view bytes) override;
    // Completes the index; call after the last bytes.
    void finish();

private:
    io::File& out_;
    ProfileIndex* index_;
    std::uint64_t contentStart_;
    std::uint64_t written_ = 0;
    std::optional<IndexBuilder> builder_;
    LineScanner scanner_;
};

} // namespace ziq::profile
